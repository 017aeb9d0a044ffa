#!/usr/bin/env bash
# The demo: sets up the machine, builds `vantor` and the directory tools, installs them into
# a staging directory laid out like the distribution package, runs a whole installation of
# the example install file through the console viewer with the answer file shipped beside
# it, then runs the directory tools (zonetally, rosterdump, crewdump, rulesmith) against a
# private directory server loaded with the demo data.
#
# The installation is a sandbox: the example writes only below its installation directory,
# which the demo points at a fresh temporary directory (QUORELLE_INSTALL_ROOT), and the log
# file goes to the same place (TMPDIR). The demo shows the wizard's output, the files the
# installation wrote, the log file and the exit status, and fails unless the status is 0.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORELLE_DEMO_BUILD:-$here/build-demo}
stage=$build/stage

bash "$here/scripts/setup.sh"

echo "demo: building vantor and the directory tools in $build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUORELLE_BUILD_ENGINE=ON -DQUORELLE_BUILD_TOOLS=ON -DQUORELLE_BUILD_ADDIN=OFF >/dev/null
cmake --build "$build" --target vantor zonetally rulesmith rosterdump crewdump
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" --component vantor >/dev/null

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
export USER=${USER:-$(id -un)}   # read by the example's pre-install actions
chmod 700 "$XDG_RUNTIME_DIR"
sandbox=$(mktemp -d /tmp/quorelle-vantor-XXXXXX)
trap 'rm -rf "$sandbox"' EXIT
root=$sandbox/root
mkdir -p "$root"

install_file=$stage/share/quorelle/examples/vantor/install.xml
answers=$stage/share/quorelle/examples/vantor/answers.txt
echo
echo "demo: QUORELLE_INSTALL_ROOT=$root vantor --console $install_file < $answers"
echo "----- the wizard (standard output) -----"
set +e
QUORELLE_INSTALL_ROOT=$root TMPDIR=$sandbox timeout 120 \
  "$stage/bin/vantor" --console "$install_file" <"$answers" >"$sandbox/out" 2>"$sandbox/err"
status=$?
set -e
cat "$sandbox/out"
echo "----- the last engine messages (standard error) -----"
tail -n 4 "$sandbox/err"
echo "----- files the installation wrote below $root -----"
(cd "$root" && find . -type f | sort | while read -r f; do
  case $f in
    *.secret) echo "$f: a secret of $(wc -c <"$f") bytes, mode $(stat -c %a "$f")" ;;
    *) echo "$f:"; sed 's/^/    /' "$f" ;;
  esac
done)
vlog=$(sed -n 's/^Installation log: //p' "$sandbox/out")
if [ -n "$vlog" ] && [ -f "$vlog" ]; then
  echo "----- the log file $vlog ($(wc -l <"$vlog") lines), its first lines -----"
  head -n 8 "$vlog"
fi
echo "----- exit status $status -----"
if [ "$status" -ne 0 ]; then
  echo "demo: the installation did not end with status 0" >&2
  exit 1
fi
echo "demo: the example installation ran through every stage in the sandbox"

# The directory tools, against a private slapd on loopback holding examples/directory/demo.ldif.
echo
echo "demo: starting a private directory server with examples/directory/demo.ldif"
source "$here/tools/testing/slapd.sh"
work=$(mktemp -d /tmp/quorelle-demo-XXXXXX)
chmod 755 "$work"
trap 'qd_stop; rm -rf "$work" "$sandbox"' EXIT
qd_start "$work" "$here/examples/directory/demo.ldif"
export QUORELLE_MSG_CONF=$work/msg.conf

echo
echo "demo: zonetally (users and groups per mail domain)"
echo "-----"
"$build/tools/zonetally/zonetally"
echo "-----"

echo
echo "demo: rosterdump (the users of example.com: address, uid, vacation message)"
echo "-----"
"$build/tools/rosterdump/rosterdump" --domain=example.com --uid --mail --alternatemail --vacationmessage
echo "-----"

echo
echo "demo: crewdump (the groups of example.com with their members and owners)"
echo "-----"
"$build/tools/crewdump/crewdump" --domain=example.com --name --owner --member --program
echo "-----"

if [ "$(id -u)" -eq 0 ]; then
  getent passwd cyrus >/dev/null ||
    useradd --system --no-create-home --shell /usr/sbin/nologin cyrus 2>/dev/null || true
  export QUORELLE_SIEVE_DIR=$work/sieve
  for l in a b c d e f g h i j k l m n o p q r s t u v w x y z; do mkdir -p "$QUORELLE_SIEVE_DIR/$l"; done
  chown -R cyrus "$QUORELLE_SIEVE_DIR"
  echo
  echo "demo: rulesmith (every user's Sieve script, written as cyrus below $QUORELLE_SIEVE_DIR)"
  "$build/tools/rulesmith/rulesmith"
  (cd "$QUORELLE_SIEVE_DIR" && find . -name msg.script | sort)
  script=$(find "$QUORELLE_SIEVE_DIR" -path '*/alice/msg.script' -print -quit)
  if [ -n "$script" ]; then
    echo "----- $script -----"
    cat "$script"
    echo "-----"
  fi
else
  echo "demo: rulesmith runs as root only; run the demo with sudo to see it"
fi
echo "demo: done"
