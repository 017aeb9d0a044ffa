#!/usr/bin/env bash
# Makes the packages of a configured and built tree with CPack (DEB and RPM) into a directory
# of the test's own, for the other packaging tests (the fixture quorelle_packages), with
# umask 077.
# Usage: build_packages.sh CPACK BUILD_DIR OUT_DIR COUNT
set -euo pipefail
cpack=$1 build=$2 out=$3 count=$4
# A strict umask: no mode in the packages may depend on the umask of whoever builds them
# (the lint and install tests check the modes).
umask 077
rm -rf "$out"
mkdir -p "$out"
if ! (cd "$build" && "$cpack" --config CPackConfig.cmake -G "DEB;RPM" -B "$out") >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack failed"
    exit 1
fi
shopt -s nullglob
made=("$out"/*.deb "$out"/*.rpm)
echo "cpack made ${#made[@]} packages:"
printf '  %s\n' "${made[@]##*/}"
if [ "${#made[@]}" -ne "$count" ]; then
    echo "FAIL: expected $count packages"
    exit 1
fi
