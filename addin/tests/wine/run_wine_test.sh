#!/usr/bin/env bash
# Runs the add-in's wine test: a fresh wine prefix, the DLLs and the test program installed into
# it, regsvr32 and the checks, then the prefix's wineserver stopped and the prefix removed.
# Usage: run_wine_test.sh TEST_EXE DLL64 DLL32
set -u
test_exe=$1 dll64=$2 dll32=$3

if ! command -v wine >/dev/null 2>&1 || ! command -v wineserver >/dev/null 2>&1; then
    echo "FAIL: wine is not installed (Debian packages wine, wine64): the add-in cannot be tested" >&2
    exit 1
fi
for f in "$test_exe" "$dll64" "$dll32"; do
    if [ ! -f "$f" ]; then
        echo "FAIL: $f is missing (build the tabrix_i686 and tabrix_x86_64 targets first)" >&2
        exit 1
    fi
done

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tabrix-wine.XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
cleanup() {
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The first start creates the prefix (wineboot), which takes a while.
if ! timeout 300 wine "$test_exe" --ping >"$prefix/ping.log" 2>&1; then
    echo "FAIL: wine cannot run Windows programs here; its output:" >&2
    cat "$prefix/ping.log" >&2
    exit 1
fi

install_dir="$prefix/drive_c/Program Files/Quorelle"
mkdir -p "$install_dir/x64" "$install_dir/x86"
cp "$test_exe" "$dll64" "$install_dir/x64/" && cp "$dll32" "$install_dir/x86/" || exit 1
win='C:\Program Files\Quorelle'
timeout 300 wine "$win\\x64\\$(basename "$test_exe")" "$win\\x64\\Tabrix.dll" "$win\\x86\\Tabrix.dll"
rc=$?
if [ "$rc" -ne 0 ]; then
    echo "FAIL: the wine test ended with status $rc" >&2
    exit 1
fi
echo "PASS"
