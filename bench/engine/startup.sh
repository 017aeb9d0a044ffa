#!/usr/bin/env bash
# Start-up benchmark of the wizard window, one command:
#   bash bench/engine/startup.sh [runs]          (default 10 runs of each program)
# Builds vantor and a bare Qt 6 window program as releases (the same flags) in build-bench,
# starts a private X server (Xvfb) and, in the same run and alternately, measures the wall
# time from start to the first stage shown (vantor on the example install file, ended by
# its internal VANTOR_EXIT_AFTER_FIRST_STAGE hook) and from start to the bare window shown.
# Prints the medians and their ratio (target: at most 1.5).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/engine/common.sh"
runs=${1:-10}

bench_need "xvfb, cmake, ninja" Xvfb cmake ninja awk timeout
bench_build startup-build vantor
# The bare program: its own small project with the same release flags.
log="$BENCH_BUILD/startup-bare-build.log"
if ! { cmake -S "$here/bench/engine/bare" -B "$BENCH_BUILD/bare" -G Ninja -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$BENCH_BUILD/bare" -- -j2; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "FAIL: building the bare window program (log: $log)" >&2
  exit 1
fi
vantor="$BENCH_BUILD/release/engine/main/vantor"
bare="$BENCH_BUILD/bare/vantor_bare_window"

work=$(mktemp -d "${TMPDIR:-/tmp}/vantorstartup.XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "FAIL: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/xdg
mkdir -p "$XDG_RUNTIME_DIR/root" && chmod 700 "$XDG_RUNTIME_DIR"
export QUORELLE_INSTALL_ROOT=$XDG_RUNTIME_DIR/root

now() { date +%s%N; }
# Milliseconds from start to the program's "shown" line; fails unless it ends with 0.
measure() { # expected-line program args...
  local expect=$1 start end
  shift
  start=$(now)
  if ! timeout 60 "$@" >/dev/null 2>"$work/err"; then
    cat "$work/err" >&2
    echo "FAIL: $*" >&2
    exit 1
  fi
  end=$(now)
  grep -q "$expect" "$work/err" || { cat "$work/err" >&2; echo "FAIL: no '$expect'" >&2; exit 1; }
  echo $(((end - start) / 1000000))
}

# One warm-up run each, then alternate so that both see the same machine load.
measure "first stage shown" env VANTOR_EXIT_AFTER_FIRST_STAGE=1 "$vantor" --lang en \
  "$here/examples/vantor/install.xml" >/dev/null
measure "first window shown" "$bare" >/dev/null
: >"$work/vantor.ms"
: >"$work/bare.ms"
for _ in $(seq "$runs"); do
  measure "first stage shown" env VANTOR_EXIT_AFTER_FIRST_STAGE=1 "$vantor" --lang en \
    "$here/examples/vantor/install.xml" >>"$work/vantor.ms"
  measure "first window shown" "$bare" >>"$work/bare.ms"
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
v=$(median "$work/vantor.ms")
b=$(median "$work/bare.ms")
awk -v v="$v" -v b="$b" -v n="$runs" 'BEGIN {
  printf "start to first stage shown, median of %d runs under Xvfb:\n", n
  printf "  vantor (example install file): %8.1f ms\n", v
  printf "  bare Qt 6 window:              %8.1f ms\n", b
  r = v / b
  printf "  ratio: %.2f (target: at most 1.5) %s\n", r, (r <= 1.5) ? "ok" : "ABOVE TARGET"
}'
