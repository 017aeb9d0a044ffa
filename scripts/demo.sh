#!/usr/bin/env bash
# The demo: sets up the machine, builds `vantor` and the directory tools, installs them into
# a staging directory laid out like the distribution package, runs `vantor` on the example
# install file, then runs the directory tools against a private directory server loaded
# with the demo data.
#
# This build has no graphical viewer yet, so the run is a console run: the engine loads
# the install file, runs the pre-install actions (host name, domain, user, kernel
# version), and then stops with "Could not create a viewer for the installation",
# exit status 1, because there is nothing to show the wizard's stages with. The demo
# prints what the engine reported on the way and succeeds when the run ended exactly so.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORELLE_DEMO_BUILD:-$here/build-demo}
stage=$build/stage

bash "$here/scripts/setup.sh"

echo "demo: building vantor and the directory tools in $build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUORELLE_BUILD_ENGINE=ON -DQUORELLE_BUILD_TOOLS=ON -DQUORELLE_BUILD_ADDIN=OFF >/dev/null
cmake --build "$build" --target vantor zonetally rulesmith
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" --component vantor >/dev/null

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
export USER=${USER:-$(id -un)}   # read by the example's pre-install actions
chmod 700 "$XDG_RUNTIME_DIR"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

install_file=$stage/share/quorelle/examples/vantor/install.xml
echo
echo "demo: $stage/bin/vantor --console $install_file"
echo "----- what the engine reported (standard error) -----"
set +e
"$stage/bin/vantor" --console "$install_file" 2>"$log"
status=$?
set -e
cat "$log"
echo "----- exit status $status -----"
echo

expected="Could not create a viewer for the installation"
if [ "$status" -eq 1 ] && [ "$(tail -n 1 "$log")" = "$expected" ]; then
  echo "demo: as expected, the pre-install actions ran and the run stopped because this"
  echo "demo: build has no viewer to show the wizard with (\"$expected\")."
else
  echo "demo: unexpected outcome (exit status $status)" >&2
  exit 1
fi

# The directory tools, against a private slapd on loopback holding examples/directory/demo.ldif.
echo
echo "demo: starting a private directory server with examples/directory/demo.ldif"
source "$here/tools/testing/slapd.sh"
work=$(mktemp -d /tmp/quorelle-demo-XXXXXX)
chmod 755 "$work"
trap 'qd_stop; rm -rf "$work" "$log"' EXIT
qd_start "$work" "$here/examples/directory/demo.ldif"
export QUORELLE_MSG_CONF=$work/msg.conf

echo
echo "demo: zonetally (users and groups per mail domain)"
echo "-----"
"$build/tools/zonetally/zonetally"
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
