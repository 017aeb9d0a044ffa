#!/usr/bin/env bash
# Where the time of the product installation goes, one command:
#   bash bench/engine/install.sh [runs]          (default 3 runs)
# Builds the installation medium as a release (build-bench/install: vantor, the tools, the
# payload packages), then runs the unattended installation (`install --console <
# answers.txt`) into a fresh sandbox target per run (directory server on a free loopback
# port, stopped after the run) and splits the wall time of each run into:
#   - child processes: the programs that the actions start (sh and the helper script, rpm
#     with its queries, uname, env/rulesmith, ...), timed by a wrapper placed before them
#     on PATH that records the start and end of every direct child of vantor;
#   - fixed pauses: the install sequence's 500 ms before each of its sequences and after
#     the last, and the install file's pause actions (none in the product file);
#   - the engine's own share: the rest (start-up, loading the install file, the stages,
#     variables, templates, file edits, waiting for child output).
# Prints each run and the medians; target: the engine's share at most 10% of the whole.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/engine/common.sh"
runs=${1:-3}

bench_need "slapd, ldap-utils, rpm, python3" slapd ldapsearch rpm python3 awk
build=$BENCH_BUILD/install
mkdir -p "$build"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if ! { cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
         -DQUORELLE_BUILD_ADDIN=OFF "${launcher[@]}" &&
       cmake --build "$build" --target medium -- -j2; } >"$BENCH_BUILD/install-build.log" 2>&1; then
  cat "$BENCH_BUILD/install-build.log" >&2
  echo "FAIL: building the medium (log: $BENCH_BUILD/install-build.log)" >&2
  exit 1
fi
medium=$build/medium

work=$(mktemp -d "${TMPDIR:-/tmp}/quorelle-install-bench.XXXXXX")
chmod 755 "$work"
targets=()
cleanup() {
  local t
  for t in "${targets[@]}"; do sh "$medium/resources/scripts/directory.sh" stop "$t" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The timing wrapper: one per program that the install file's actions start by name.
mkdir -p "$work/wrap"
for prog in sh rpm uname env; do
  real=$(command -v "$prog")
  cat >"$work/wrap/$prog" <<EOF
#!/bin/bash
# Records "start end" of the direct children of vantor; other callers pass through.
if [ "\$(cat /proc/\$PPID/comm 2>/dev/null)" = vantor ]; then
  s=\$EPOCHREALTIME
  PATH=$PATH "$real" "\$@"
  rc=\$?
  echo "$prog \$s \$EPOCHREALTIME" >>"\$QUORELLE_BENCH_CHILDREN"
  exit \$rc
fi
exec "$real" "\$@"
EOF
  chmod +x "$work/wrap/$prog"
done

results=$work/results
: >"$results"
for run in $(seq "$runs"); do
  target=$work/target-$run
  mkdir -p "$target"
  targets+=("$target")
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  sed "s/^ldap_port=.*/ldap_port=$port/" "$medium/answers.txt" >"$work/answers"
  children=$work/children-$run
  : >"$children"
  start=$EPOCHREALTIME
  set +e
  QUORELLE_BENCH_CHILDREN=$children PATH=$work/wrap:$PATH QUORELLE_TARGET=$target TMPDIR=$work \
    timeout 300 "$medium/install" --console <"$work/answers" >"$work/out-$run" 2>"$work/err-$run"
  status=$?
  set -e
  end=$EPOCHREALTIME
  if [ "$status" -ne 0 ]; then
    tail -n 20 "$work/out-$run" >&2
    echo "FAIL: the installation ended with status $status" >&2
    exit 1
  fi
  # Sequences run: one sub-job line each in the console output; pauses: one more than that.
  sequences=$(grep -c 'appears to have successfully completed\|error occured' "$work/out-$run" || true)
  seqs=$(sed -n 's/^ *[0-9]*% Installation: //p' "$work/out-$run" | uniq | wc -l)
  sh "$medium/resources/scripts/directory.sh" stop "$target" >/dev/null
  awk -v a="$start" -v b="$end" -v seqs="$seqs" -v run="$run" '
    { child += $3 - $2; n++ }
    END {
      wall = b - a; pause = 0.5 * (seqs + 1); engine = wall - child - pause
      printf "run %d: wall %.2f s, %d child processes %.2f s, pauses %.2f s (%d sequences), engine %.2f s (%.1f%%)\n",
             run, wall, n, child, pause, seqs, engine, 100 * engine / wall
      printf "%f %f %f %f\n", wall, child, pause, engine > "/dev/stderr"
    }' "$children" 2>>"$results"
  [ "$sequences" -ge 1 ] || { echo "FAIL: no install sequence result in the output" >&2; exit 1; }
done

sort -n -k4 "$results" | awk -v runs="$runs" '
  { w[NR] = $1; c[NR] = $2; p[NR] = $3; e[NR] = $4 }
  END {
    m = int((runs + 1) / 2)
    printf "median (by engine share): wall %.2f s = child processes %.2f s + pauses %.2f s + engine %.2f s\n",
           w[m], c[m], p[m], e[m]
    printf "engine share %.1f%% (target: at most 10%%)\n", 100 * e[m] / w[m]
  }'
