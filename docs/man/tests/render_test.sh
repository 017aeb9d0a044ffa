#!/usr/bin/env bash
# Renders every manual page given (roff files built from docs/man/*.scd) with man and groff,
# warnings on (man --warnings), and fails on any warning or error, naming page and message.
# Also checks the NAME section that whatis/apropos read (lexgrog).
# Usage: render_test.sh PAGE...
set -uo pipefail
if [ "$#" -eq 0 ]; then
    echo "FAIL: no manual pages given"
    exit 1
fi
failed=0
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for page in "$@"; do
    name=$(basename "$page")
    if [ ! -s "$page" ]; then
        echo "FAIL: $name: missing or empty (was it built?)"
        failed=1
        continue
    fi
    # A fixed width and the C.UTF-8 locale, so lines and hyphenation are those of a terminal.
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -E UTF-8 -l "$page" >"$out/text" 2>"$out/err"
    rc=$?
    if [ "$rc" -ne 0 ] || [ -s "$out/err" ]; then
        echo "FAIL: $name: man exited with $rc:"
        sed 's/^/    /' "$out/err"
        failed=1
        continue
    fi
    if ! [ -s "$out/text" ]; then
        echo "FAIL: $name: renders to nothing"
        failed=1
        continue
    fi
    if ! lexgrog "$page" >"$out/whatis" 2>&1; then
        echo "FAIL: $name: no NAME section that whatis can read:"
        sed 's/^/    /' "$out/whatis"
        failed=1
        continue
    fi
    echo "ok: $name ($(wc -l <"$out/text") lines; $(sed 's/^[^:]*: *//' "$out/whatis"))"
done
exit "$failed"
