#!/usr/bin/env bash
# Install-file load benchmark, one command:
#   bash bench/engine/load.sh [runs]            (default 5 runs of each program)
# Builds vantor as a release (no sanitizers) in build-bench/release, generates an install file of
# about 25 MB (bench/engine/large_install.awk: 10,000 variables, 10,000 actions and 10,000
# stages; BENCH_ITEMS changes the count) and, in the same run and alternately, measures
#   - vantor loading it to the end of the pre-install list: an unattended console run with
#     no answers (standard input empty), which stops at the first stage because that stage
#     needs an answer (status 2), right after the pre-install list;
#   - xmllint --noout on the same file.
# Prints the medians of the wall times and their ratio (target: at most 2), the same for the
# processor time (user + system, less disturbed by other work on the machine), and vantor's
# peak memory (GNU time's %M) against the file size (target: at most 10 times).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/engine/common.sh"
runs=${1:-5}
items=${BENCH_ITEMS:-10000}

bench_need "libxml2-utils, time, cmake, ninja" xmllint /usr/bin/time cmake ninja awk
bench_build load-build vantor
vantor="$BENCH_BUILD/release/engine/main/vantor"

work=$(mktemp -d "${TMPDIR:-/tmp}/vantorload.XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/xdg
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen

file=$work/install.xml
awk -v n="$items" -f "$here/bench/engine/large_install.awk" >"$file"
size=$(stat -c %s "$file")
xmllint --noout "$file" || { echo "FAIL: the generated install file is not well-formed" >&2; exit 1; }

# One run: appends "wall-seconds cpu-seconds peak-KB" to $1.
measure_xmllint() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" xmllint --noout "$file"
  awk '{ print $1, $2 + $3, $4 }' "$work/time" >>"$1"
}
measure_vantor() {
  local status=0
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$vantor" --console "$file" \
    </dev/null >"$work/out" 2>"$work/err" || status=$?
  # GNU time writes "Command exited with non-zero status 2" before its own line.
  if [ "$status" -ne 2 ] || ! grep -q '(stage_00000) cannot continue' "$work/err"; then
    tail -5 "$work/err" >&2
    echo "FAIL: vantor did not stop at the first stage (status $status)" >&2
    exit 1
  fi
  tail -n1 "$work/time" | awk '{ print $1, $2 + $3, $4 }' >>"$1"
}

# One warm-up run each (the file in the page cache), then alternate so that both see the
# same machine load.
measure_xmllint "$work/warm"
measure_vantor "$work/warm"
: >"$work/xmllint"
: >"$work/vantor"
for _ in $(seq "$runs"); do
  measure_xmllint "$work/xmllint"
  measure_vantor "$work/vantor"
done

median() { # file column
  awk -v c="$2" '{ print $c }' "$1" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
awk -v n="$runs" -v items="$items" -v size="$size" \
    -v vw="$(median "$work/vantor" 1)" -v vc="$(median "$work/vantor" 2)" -v vm="$(median "$work/vantor" 3)" \
    -v xw="$(median "$work/xmllint" 1)" -v xc="$(median "$work/xmllint" 2)" -v xm="$(median "$work/xmllint" 3)" 'BEGIN {
  printf "install file: %d variables, actions and stages, %.1f MB; medians of %d runs\n", items, size / 1e6, n
  printf "                       wall s    cpu s   peak MB\n"
  printf "  vantor (pre-install) %7.2f  %7.2f  %8.1f\n", vw, vc, vm / 1024
  printf "  xmllint --noout      %7.2f  %7.2f  %8.1f\n", xw, xc, xm / 1024
  r = (xw > 0) ? vw / xw : 0
  printf "  time ratio (wall): %.2f (target: at most 2) %s\n", r, (r <= 2) ? "ok" : "ABOVE TARGET"
  if (xc > 0) printf "  time ratio (cpu):  %.2f\n", vc / xc
  m = vm * 1024 / size
  printf "  peak memory / file size: %.1f (target: at most 10) %s\n", m, (m <= 10) ? "ok" : "ABOVE TARGET"
}'
