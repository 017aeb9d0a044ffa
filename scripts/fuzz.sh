#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (sanitizers on) and runs each for a fixed
# time on a copy of its seed corpus; new inputs found stay in the copy, findings (crash-*,
# timeout-*, leak-* files) in the target's folder of the run directory.
#   bash scripts/fuzz.sh [seconds per target, default 300] [target...]
# QUORELLE_FUZZ_BUILD names the build directory (default build-fuzz), QUORELLE_FUZZ_OUT the
# run directory (default <build>/fuzz-runs). Ends with status 1 when a target found something.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
shift || true
build=${QUORELLE_FUZZ_BUILD:-$here/build-fuzz}
out=${QUORELLE_FUZZ_OUT:-$build/fuzz-runs}

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUORELLE_FUZZ=ON \
    -DQUORELLE_SANITIZE=ON -DBUILD_TESTING=OFF -DQUORELLE_BUILD_ADDIN=OFF "${launcher[@]}" >/dev/null
mapfile -t listed <"$build/fuzz-targets.txt"
targets=()
for line in "${listed[@]}"; do
    name=${line%% *}
    if [ "$#" -eq 0 ] || printf '%s\n' "$@" | grep -qx "$name"; then
        targets+=("$line")
    fi
done
[ "${#targets[@]}" -gt 0 ] || { echo "fuzz: no such target: $*" >&2; exit 2; }
names=()
for line in "${targets[@]}"; do names+=("${line%% *}"); done
cmake --build "$build" -j2 --target "${names[@]}"

# A sanitizer report is a finding; the children of the fork-per-input targets abort on one.
# The options are the tests' own (cmake/QuorelleTestEnv.cmake).
eval "$(cmake -P "$here/cmake/QuorelleTestEnv.cmake" 2>&1)"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

failed=()
for line in "${targets[@]}"; do
    name=${line%% *}
    seeds=${line#* }
    program=$(find "$build/fuzz" -type f -name "$name" -perm -u+x | head -1)
    dir=$out/$name
    mkdir -p "$dir/corpus"
    cp -n "$seeds"/* "$dir/corpus/" 2>/dev/null || true
    stamp=$dir/.started
    : >"$stamp"
    echo "fuzz: $name for $seconds s (corpus $dir/corpus)"
    # The fuzzer's own time limit per input lies above the children's (10 s); the whole run
    # is bounded by timeout in case the fuzzer itself stops answering.
    rc=0
    (cd "$dir" && timeout $((seconds + 120)) "$program" -max_total_time="$seconds" \
        -timeout=30 -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$dir/" corpus >"$dir/log" 2>&1) || rc=$?
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$dir/log" |
        sed "s/^stat::/fuzz: $name /" || true
    mapfile -t found < <(find "$dir" -maxdepth 1 -type f -newer "$stamp" \
        \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' -o -name 'oom-*' \) | sort)
    if [ "$rc" -ne 0 ] || [ "${#found[@]}" -gt 0 ]; then
        tail -40 "$dir/log" >&2
        why="status $rc"
        [ "$rc" -eq 124 ] && why="the fuzzer did not stop within $((seconds + 120)) s"
        echo "fuzz: FAILED: $name found a fault ($why); input: ${found[*]:-none written}; log: $dir/log" >&2
        failed+=("$name")
    fi
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "fuzz: ${#failed[@]} of ${#targets[@]} targets found faults: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: ${#targets[@]} targets ran $seconds s each, nothing found"
