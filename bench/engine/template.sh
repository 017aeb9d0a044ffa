#!/usr/bin/env bash
# Template benchmark of the install engine, one command:
#   bash bench/engine/template.sh [lines]        (default 1000000 lines, about 100 MB)
# Builds the engine as a release (no sanitizers) in build-bench, fills a template with one
# $$InstallDir$$ reference per line and compares, in the same run, with GNU envsubst
# filling the same content (written with ${InstallDir}); then compares the peak memory of
# filling a template a tenth of that size with the full one.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/engine/common.sh"
lines=${1:-1000000}
runs=${BENCH_RUNS:-3}

bench_need "gettext-base, time, cmake, ninja" envsubst /usr/bin/time cmake ninja awk cmp
bench_build template-build vantor_template_bench
bench="$BENCH_BUILD/release/bench/engine/vantor_template_bench"

work=$(mktemp -d "${TMPDIR:-/tmp}/vantorbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

value=/opt/quorelle/server
# The same 100-byte line for both tools; only the reference syntax differs.
make_template() { # count reference output
  awk -v n="$1" -v ref="$2" 'BEGIN {
    for (i = 1; i <= n; i++)
      printf "entry-%07d path=%s/lib/modules/extra  # filled in by the installer from this template\n", i, ref
  }' > "$3"
}
make_template "$lines" '$$InstallDir$$' "$work/big.tpl"
make_template "$lines" '${InstallDir}' "$work/big.env"
make_template $((lines / 10)) '$$InstallDir$$' "$work/small.tpl"

now() { date +%s.%N; }
# Runs a command; prints "seconds peak-kB".
measure() {
  local start end
  start=$(now)
  /usr/bin/time -f "%M" -o "$work/rss" "$@"
  end=$(now)
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }') $(cat "$work/rss")"
}

best_v=""; best_e=""
for ((r = 1; r <= runs; r++)); do
  read -r tv _ < <(measure "$bench" "$value" "$work/big.tpl" "$work/big.out" 2>/dev/null)
  read -r te _ < <(InstallDir=$value measure sh -c 'exec envsubst < "$1" > "$2"' sh "$work/big.env" "$work/big.envout")
  echo "run $r: vantor ${tv}s  envsubst ${te}s"
  best_v=$(awk -v a="$tv" -v b="$best_v" 'BEGIN { print (b == "" || a < b) ? a : b }')
  best_e=$(awk -v a="$te" -v b="$best_e" 'BEGIN { print (b == "" || a < b) ? a : b }')
done
cmp -s "$work/big.out" "$work/big.envout" || { echo "FAIL: outputs differ" >&2; exit 1; }

size=$(stat -c %s "$work/big.tpl")
echo "template: $lines lines, $((size / 1000000)) MB; outputs identical"
echo "best of $runs: vantor ${best_v}s, envsubst ${best_e}s"
ratio=$(awk -v v="$best_v" -v e="$best_e" 'BEGIN { printf "%.2f", e / v }')
echo "ratio envsubst/vantor: $ratio (>= 1.00 means vantor is at least as fast)"

read -r _ rss_small < <(measure "$bench" "$value" "$work/small.tpl" "$work/small.out" 2>/dev/null)
read -r _ rss_big < <(measure "$bench" "$value" "$work/big.tpl" "$work/big.out" 2>/dev/null)
diff_kb=$((rss_big - rss_small))
echo "peak memory: $((size / 10000000)) MB template ${rss_small} kB, $((size / 1000000)) MB template ${rss_big} kB, difference ${diff_kb} kB (limit 5120 kB)"

status=0
awk -v r="$ratio" 'BEGIN { exit !(r >= 1.0) }' || { echo "FAIL: slower than envsubst"; status=1; }
[ "$diff_kb" -lt 5120 ] || { echo "FAIL: peak memory grows with the template"; status=1; }
[ $status -eq 0 ] && echo "PASS"
exit $status
