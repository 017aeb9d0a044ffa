#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the benchmarks and the demo need.
# Idempotent: packages already present are left alone. Run as root on Debian 12.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config ccache
  # vantor (Qt 6)
  qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools libgl-dev
  # directory tools and their test directory
  libldap-dev slapd ldap-utils
  # Sieve compiler used to check generated scripts
  dovecot-sieve dovecot-core
  # rootgate queues service jobs with at; its tests use setpriv and unshare
  at util-linux
  # Outlook add-in: cross compilers, IDL files, wine to run the tests
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev wine wine64
  # vantor actions and their tests: rpm and rpmbuild, ps, chattr
  rpm procps e2fsprogs
  # benchmarks and demo (xmllint is the yardstick of the install-file load benchmark)
  gettext-base time xvfb xauth libxml2-utils
  # fuzz targets: clang with libFuzzer and the sanitizer runtimes, llvm-symbolizer for reports
  clang libfuzzer-14-dev libclang-rt-14-dev llvm
  # wizard window tests under a real X server (synthetic keys and clicks)
  xdotool
  # packages (scripts/package.sh) and manual pages: scdoc, man and groff to check them,
  # dpkg-shlibdeps, lintian and rpmlint, gzip, file
  scdoc man-db groff-base dpkg-dev fakeroot lintian rpmlint gzip file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  # A user with sudo: only the installation runs as root.
  if command -v sudo >/dev/null; then
    echo "setup: installing the missing packages as root through sudo"
    exec sudo bash "$0" "$@"
  fi
  echo "setup: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# Packages that come with a system service (slapd, dovecot) must not start it: the tests run
# their own private servers on loopback.
policy=/usr/sbin/policy-rc.d
own_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod 755 "$policy"
  own_policy=1
fi
trap '[ "$own_policy" = 1 ] && rm -f "$policy"' EXIT

echo "setup: installing ${missing[*]}"
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
