#!/usr/bin/env bash
# The real vantor program on the example install file under a private X server (Xvfb),
# driven with synthetic keys and clicks (xdotool) through every page to Done. Checks the
# exit status and what the actions wrote. Exit 77 (skipped) when Xvfb or xdotool is missing.
#   e2e_xvfb.sh VANTOR INSTALL_FILE
set -uo pipefail
vantor=$1
file=$2
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/../../testing/xvfb.sh"
tmp=$(mktemp -d)
xvfb_pid=
vantor_pid=
cleanup() {
  [ -n "$vantor_pid" ] && kill "$vantor_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- vantor's standard error:"; cat "$tmp/err" 2>/dev/null; exit 1; }

xv_start
root=$tmp/root
mkdir -p "$root"
export QUORELLE_INSTALL_ROOT=$root

"$vantor" "$file" 2>"$tmp/err" &
vantor_pid=$!

typeText() { xdotool type --delay 30 "$1"; }
waitFor() { # file, seconds
  for _ in $(seq $(($2 * 10))); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}

# Language dialog: the detected language has the focus; Space chooses it.
sleep 1
keys space
sleep 1
wizard=$(xdotool search --sync --onlyvisible --name '^Sarvane$' | head -n1)
[ -n "$wizard" ] || fail "the wizard window did not appear"

keys alt+n; sleep 0.5                     # Welcome
keys alt+n; sleep 0.5                     # Kind of installation
keys Tab ctrl+a; typeText example.org      # Settings: the mail domain (second input)
sleep 0.3; keys alt+n; sleep 0.5
typeText 's3cret-pw'; keys Tab; typeText 's3cret-pw'   # Administrator: password twice
sleep 0.3; keys alt+n
sleep 3                                    # Checks: the check sequence runs
keys alt+n
waitFor "$root/run/started" 20 || fail "the install sequence did not run"
sleep 1; keys alt+n; sleep 1               # Installing -> Ready
# Ready: "Finish" (no mnemonic) sits at the right end of the button row.
eval "$(xdotool getwindowgeometry --shell "$wizard")"
xdotool mousemove --window "$wizard" $((WIDTH - 40)) $((HEIGHT - 16)) click 1

for _ in $(seq 200); do kill -0 "$vantor_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$vantor_pid" 2>/dev/null && fail "vantor did not end after Finish"
wait "$vantor_pid"
status=$?
vantor_pid=
[ "$status" -eq 0 ] || fail "vantor ended with status $status"

grep -qx 'domain=example.org' "$root/etc/quorelle.conf" || fail "quorelle.conf: $(cat "$root/etc/quorelle.conf" 2>&1)"
grep -qx 's3cret-pw' "$root/etc/admin.secret" || fail "the administrator password was not written"
grep -q 'Quorelle mail server installed on' "$root/installed" || fail "the post-install action did not run"
grep -q 'Quorelle mail server installed on' "$tmp/err" || fail "the post-install output is not in the log"
echo "e2e: walked every page to Done, exit 0"
