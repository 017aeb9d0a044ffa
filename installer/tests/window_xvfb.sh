#!/usr/bin/env bash
# The medium's `install` launcher in the window, under a private X server (Xvfb), driven
# with synthetic keys (xdotool) as an administrator would: the language dialog, the licence,
# the host and domain typed, the directory port and passwords typed, the checks, the
# summary, the installation into a sandbox target, Done. Checks the exit status, the
# directory server answering and the configuration written; the server is stopped at the
# end. Exit 77 (skipped) when Xvfb or xdotool is missing.
#   window_xvfb.sh MEDIUM_DIR
set -uo pipefail
medium=$1
for tool in Xvfb xdotool ldapsearch python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/../../engine/testing/xvfb.sh"
tmp=$(mktemp -d)
chmod 755 "$tmp" # rulesmith works below the target as the user cyrus (where that user exists)
xvfb_pid=
vantor_pid=
target=$tmp/target
mkdir -p "$target"
cleanup() {
  [ -n "$vantor_pid" ] && kill "$vantor_pid" 2>/dev/null
  sh "$medium/resources/scripts/directory.sh" stop "$target" >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- the last lines of vantor's standard error:"; tail -n 30 "$tmp/err" 2>/dev/null; exit 1; }

xv_start
unset LC_ALL LC_CTYPE LANGUAGE
export LANG=C
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

QUORELLE_TARGET=$target TMPDIR=$tmp "$medium/install" 2>"$tmp/err" &
vantor_pid=$!

typeText() { xdotool type --delay 20 "$1"; }
field() { keys ctrl+a; typeText "$1"; } # replaces the text of the focused input
waitFor() { # seconds, command...
  local n=$(($1 * 10))
  shift
  for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done
  return 1
}

sleep 1.5
keys space; sleep 1                        # language dialog: the detected language (English)
keys space; sleep 0.3; keys alt+n; sleep 0.8   # Welcome: the licence accepted
keys alt+n; sleep 0.8                      # Kind of installation: complete, target from the launcher
field mail.example.org; keys Tab; field example.org
sleep 0.3; keys alt+n; sleep 1             # Host and mail domain
keys Tab; field "$port"                    # Directory: suffix (derived), port,
keys Tab Tab; typeText 's3cret-pw1'; keys Tab; typeText 's3cret-pw1'   # admin DN, password twice
sleep 0.3; keys alt+n; sleep 0.8
keys Tab; typeText 'post-pw-1'; keys Tab; typeText 'post-pw-1'          # Postmaster
sleep 0.3; keys alt+n; sleep 3             # Checks: the check sequences run
keys alt+n; sleep 0.8                      # Checks -> Summary
keys alt+n                                 # Summary -> Installing: the install sequence runs
conf=$target/etc/opt/quorelle/msg/msg.conf
waitFor 120 grep -qs "^LDAPHOST:127.0.0.1:$port\$" "$conf" || fail "the installation did not write msg.conf"
# imapd.conf is written by the last sequence but one (the Sieve scripts follow where the
# cyrus user exists): then the sequence ends within a few seconds.
waitFor 60 test -s "$target/etc/imapd.conf" || fail "the install sequence did not end"
sleep 4
keys alt+n; sleep 1                        # Installing -> Finished
keys alt+d                                 # Done

for _ in $(seq 200); do kill -0 "$vantor_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$vantor_pid" 2>/dev/null && fail "vantor did not end after Done"
wait "$vantor_pid"
status=$?
vantor_pid=
[ "$status" -eq 0 ] || fail "vantor ended with status $status"

ldapsearch -x -LLL -H "ldap://127.0.0.1:$port/" -b "ou=MSG Users,ou=example.org,dc=example,dc=org" \
  uid 2>&1 | grep -qx 'uid: postmaster' || fail "the directory holds no postmaster"
grep -qx 'ADMINPW:s3cret-pw1' "$conf" || fail "msg.conf has not the password typed"
grep -q '^virtual_mailbox_maps = ldap:' "$target/etc/postfix/main.cf" || fail "main.cf was not edited"
echo "window: walked every page of the product installation to Done, exit 0"
