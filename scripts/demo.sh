#!/usr/bin/env bash
# The demo: sets up the machine, builds the installation medium (vantor, the product install
# file, its resources and the payload packages), installs a complete Quorelle mail server
# from it unattended into an empty sandbox target, then administers the result with the
# installed tools and stops the directory server.
#
# What it shows: the wizard's stages, the packages in the target's own rpm database, the
# files the installation wrote, zonetally (the first domain and its postmaster), rosterdump
# (the postmaster), rulesmith (his Sieve script; as root, since it writes as the cyrus user).
# The sandbox's directory server listens on 127.0.0.1 on a free port; Postfix and Cyrus are
# configured, not started. Everything is removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORELLE_DEMO_BUILD:-$here/build-demo}
medium=$build/medium

bash "$here/scripts/setup.sh"

echo "demo: building the installation medium in $medium"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DQUORELLE_BUILD_ENGINE=ON -DQUORELLE_BUILD_TOOLS=ON -DQUORELLE_BUILD_ADDIN=OFF >/dev/null
cmake --build "$build" --target medium >"$build/medium-build.log" 2>&1 ||
  { tail -n 40 "$build/medium-build.log"; exit 1; }
echo "demo: the medium:"
(cd "$medium" && find . -maxdepth 2 | sort | sed 's/^/    /')

# rulesmith writes the Sieve scripts as the cyrus user: the demo makes that user (as root).
if [ "$(id -u)" -eq 0 ]; then
  getent passwd cyrus >/dev/null ||
    useradd --system --no-create-home --shell /usr/sbin/nologin cyrus 2>/dev/null || true
fi

sandbox=$(mktemp -d /tmp/quorelle-demo-XXXXXX)
chmod 755 "$sandbox"
target=$sandbox/root
mkdir -p "$target"
cleanup() {
  sh "$medium/resources/scripts/directory.sh" stop "$target" >/dev/null 2>&1 || true
  rm -rf "$sandbox"
}
trap cleanup EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sed "s/^ldap_port=.*/ldap_port=$port/" "$medium/answers.txt" >"$sandbox/answers.txt"

echo
echo "demo: QUORELLE_TARGET=$target install --console < answers.txt (directory port $port)"
echo "----- the wizard (standard output) -----"
start=$EPOCHREALTIME
set +e
QUORELLE_TARGET=$target TMPDIR=$sandbox timeout 300 "$medium/install" --console \
  <"$sandbox/answers.txt" >"$sandbox/out" 2>"$sandbox/err"
status=$?
set -e
end=$EPOCHREALTIME
cat "$sandbox/out"
echo "----- exit status $status, $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s -----"
if [ "$status" -ne 0 ]; then
  echo "----- the last engine messages (standard error) -----"
  tail -n 30 "$sandbox/err"
  echo "demo: the installation did not end with status 0" >&2
  exit 1
fi

echo
echo "----- packages in the target's rpm database ($target/var/lib/rpm) -----"
rpm --root "$target" --dbpath /var/lib/rpm -qa --qf '%{NAME}-%{VERSION}-%{RELEASE}.%{ARCH}\n' | sort
echo "----- files the installation wrote below $target (without the databases) -----"
(cd "$target" && find . -type f ! -path './var/lib/rpm/*' ! -path './var/lib/quorelle/ldap/*' \
  ! -path './etc/quorelle/slapd.d/*' ! -path './usr/*' -printf '%M %u %p\n' | sort)
echo "    ... and $(cd "$target" && find ./usr -type f | wc -l) files of the packages below usr/"
echo "----- etc/opt/quorelle/msg/msg.conf (password hidden) -----"
sed 's/^ADMINPW:.*/ADMINPW:(hidden)/' "$target/etc/opt/quorelle/msg/msg.conf"
echo "----- the directory lookups in etc/postfix/main.cf -----"
grep -E '^virtual_' "$target/etc/postfix/main.cf"

export QUORELLE_MSG_CONF=$target/etc/opt/quorelle/msg/msg.conf
echo
echo "demo: zonetally of the installed directory (the first domain and its users)"
echo "-----"
"$target/usr/bin/zonetally"
echo "-----"
echo
echo "demo: rosterdump --domain=example.org --uid --mail (the postmaster)"
echo "-----"
"$target/usr/bin/rosterdump" --domain=example.org --uid --mail
echo "-----"
if [ "$(id -u)" -eq 0 ] && getent passwd cyrus >/dev/null; then
  echo
  echo "demo: rulesmith (every user's Sieve script, written as cyrus below $target/usr/sieve)"
  QUORELLE_SIEVE_DIR=$target/usr/sieve "$target/usr/sbin/rulesmith"
  script=$target/usr/sieve/p/postmaster/msg.script
  echo "----- $script -----"
  cat "$script"
  echo "-----"
else
  echo "demo: rulesmith runs as root only; run the demo with sudo to see it"
fi

echo
sh "$medium/resources/scripts/directory.sh" stop "$target"
echo "demo: done"
