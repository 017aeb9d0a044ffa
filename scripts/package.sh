#!/usr/bin/env bash
# Builds the release packages of the tool set: Debian packages (.deb) and RPM packages (.rpm)
# of quorelle-tools, quorelle-vantor and quorelle-tabrix, made by CPack from the install rules
# (cmake/QuorellePackaging.cmake), and leaves them in one directory, printing their names.
#
# Usage: bash scripts/package.sh [OUTDIR]     (default build-package/packages)
#
# The release build is its own (build-package, or QUORELLE_PACKAGE_BUILD), compiled with
# Debian's hardening flags (dpkg-buildflags) and without the tests.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORELLE_PACKAGE_BUILD:-$here/build-package}
out=${1:-$build/packages}

bash "$here/scripts/setup.sh"

# Debian's hardening flags (fortified functions, stack protector, full RELRO, ...); no debug
# information, which the packages would strip anyway.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cxxflags="$(flags CPPFLAGS) $(flags CXXFLAGS)"
cflags="$(flags CPPFLAGS) $(flags CFLAGS)"
cxxflags=${cxxflags//-g /}
cflags=${cflags//-g /}
ldflags=$(flags LDFLAGS)

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
echo "package: building in $build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DQUORELLE_SANITIZE=OFF -DQUORELLE_BUILD_ENGINE=ON -DQUORELLE_BUILD_TOOLS=ON \
    -DQUORELLE_BUILD_ADDIN=ON -DQUORELLE_BUILD_MAN=ON \
    -DCMAKE_INSTALL_PREFIX=/usr \
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_C_FLAGS=$cflags" \
    "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" "-DCMAKE_SHARED_LINKER_FLAGS=$ldflags" \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j2

# CPack stages and builds below build-package/cpack; only the packages go to OUTDIR.
work=$build/cpack
rm -rf "$work"
(cd "$build" && cpack --config CPackConfig.cmake -G "DEB;RPM" -B "$work" >"$build/cpack.log") || {
    cat "$build/cpack.log" >&2
    echo "package: cpack failed (log above)" >&2
    exit 1
}
mkdir -p "$out"
rm -f "$out"/quorelle-*.deb "$out"/quorelle-*.rpm
shopt -s nullglob
packages=("$work"/*.deb "$work"/*.rpm)
if [ "${#packages[@]}" -ne 6 ]; then
    echo "package: expected 6 packages, cpack made ${#packages[@]}:" "${packages[@]##*/}" >&2
    exit 1
fi
cp "${packages[@]}" "$out/"
out=$(cd "$out" && pwd)
echo "package: the packages are in $out:"
for p in "${packages[@]}"; do
    echo "  ${p##*/}"
done
