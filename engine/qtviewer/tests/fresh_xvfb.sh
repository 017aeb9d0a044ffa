#!/usr/bin/env bash
# vantor as the first and only client of an X server that ends when its last client leaves
# (Xvfb -terminate): it must come up to its first page and end with status 0. A server
# without other clients resets itself (or, like this one, ends) as soon as a connection
# closes, so a program that opens and closes a connection of its own just before Qt
# connects finds the display gone ("could not connect to display"). Exit 77 (skipped)
# when Xvfb is missing.
#   fresh_xvfb.sh VANTOR INSTALL_FILE
set -uo pipefail
vantor=$1
file=$2
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is not installed"; exit 77; }

tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 3 -terminate -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" \
  2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "FAIL: Xvfb did not start: $(cat "$tmp/xvfb.log")"; exit 1; }
export DISPLAY=:$(head -n1 "$tmp/display")
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
mkdir -p "$tmp/root"
export QUORELLE_INSTALL_ROOT=$tmp/root

VANTOR_EXIT_AFTER_FIRST_STAGE=1 timeout 60 "$vantor" --lang en "$file" </dev/null \
  >/dev/null 2>"$tmp/err"
status=$?
if [ $status -ne 0 ] || ! grep -q '^first stage shown: welcome$' "$tmp/err"; then
  echo "FAIL: vantor ended with status $status; its standard error:"
  cat "$tmp/err"
  exit 1
fi
echo "PASS: up to its first page on a display of its own"
