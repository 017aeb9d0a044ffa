# Helpers of the tests that drive the real vantor window under a private X server (Xvfb)
# with synthetic keys (xdotool). The sourcing script sets tmp (a scratch directory),
# vantor_pid (once vantor runs) and defines fail TEXT.
#
#   xv_start          start Xvfb on a free display (chosen by the server itself, no TCP
#                     listener); sets xvfb_pid, DISPLAY and QT_QPA_PLATFORM=xcb
#   window            the id of vantor's visible top-level window (the language dialog,
#                     then the wizard), waiting up to 10 s for it
#   keys KEY...       focus that window, then send the keys

xv_start() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
  [ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
  export DISPLAY=:$(head -n1 "$tmp/display")
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

window() {
  local w
  for _ in $(seq 100); do
    w=$(xdotool search --onlyvisible --pid "$vantor_pid" 2>/dev/null | tail -n1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}

keys() {
  local w
  w=$(window) || fail "no window of vantor is visible"
  xdotool windowfocus --sync "$w" 2>/dev/null || xdotool windowfocus "$w"
  xdotool key --delay 40 "$@"
}
