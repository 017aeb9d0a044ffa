#!/usr/bin/env bash
# The complete example of vantor-install(5) works as the page says: the install file of its
# EXAMPLE section (the first literal block there), answered as the page shows, runs through
# vantor --console with status 0 and writes the configuration file it describes.
# Usage: example_test.sh PATH/TO/vantor PATH/TO/vantor-install.5.scd
set -uo pipefail
vantor=$(realpath "$1") page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk '/^# EXAMPLE/ { inside = 1 } inside && /^```/ { fence++; next } inside && fence == 1 { print }' \
    "$page" >"$work/example.xml"
if ! grep -q '</installation>' "$work/example.xml"; then
    echo "FAIL: no complete install file in the EXAMPLE section of $page"
    exit 1
fi
# The page's command line, with the target directory made first.
mkdir "$work/srv"
cmd=$(grep -o "printf '[^']*' | vantor --console" "$page")
if [ -z "$cmd" ]; then
    echo "FAIL: the page shows no unattended run (printf '...' | vantor --console example.xml)"
    exit 1
fi
answers=$(sed "s/^printf '\\([^']*\\)'.*/\\1/" <<<"$cmd" | sed 's/\\\\/\\/g')
answers=${answers//\/srv\/mail/$work/srv}
(cd "$work" && printf "$answers" | TMPDIR=$work QT_QPA_PLATFORM=offscreen \
    timeout 120 "$vantor" --console example.xml >"$work/out" 2>"$work/err")
rc=$?
failed=0
if [ "$rc" -ne 0 ]; then
    echo "FAIL: vantor --console example.xml ended with status $rc"
    failed=1
fi
if [ "$(cat "$work/srv/example.conf" 2>/dev/null)" != "host=mx.example.org" ]; then
    echo "FAIL: example.conf does not hold host=mx.example.org"
    failed=1
fi
if [ "$failed" -ne 0 ]; then
    echo "--- standard output"; cat "$work/out"
    echo "--- standard error"; tail -20 "$work/err"
    exit 1
fi
echo "ok: the example of $(basename "$page") runs and writes example.conf"
