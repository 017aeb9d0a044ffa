#!/usr/bin/env bash
# Shared parts of the engine benchmarks: the tools they need and one release build of the
# project (no sanitizers, with the benchmark programs) in $BENCH_BUILD/release.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BENCH_BUILD=${QUORELLE_BENCH_BUILD:-$repo/build-bench}

# bench_need "packages to install" command...: fails naming the missing command.
bench_need() {
  local packages=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool ($packages)" >&2; exit 1; }
  done
}

# bench_build LOGNAME TARGET...: builds the targets in the shared release build; on failure
# prints the log ($BENCH_BUILD/LOGNAME.log) and exits.
bench_build() {
  local log="$BENCH_BUILD/$1.log" launcher=()
  shift
  mkdir -p "$BENCH_BUILD"
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  if ! { cmake -S "$repo" -B "$BENCH_BUILD/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
           -DBUILD_TESTING=OFF -DQUORELLE_BUILD_TOOLS=OFF -DQUORELLE_BUILD_ADDIN=OFF \
           -DQUORELLE_BUILD_BENCH=ON "${launcher[@]}" &&
         cmake --build "$BENCH_BUILD/release" --target "$@" -- -j2; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "FAIL: building $* (log: $log)" >&2
    exit 1
  fi
}
