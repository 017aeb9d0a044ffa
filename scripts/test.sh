#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
# Extra arguments go to ctest, e.g. `bash scripts/test.sh -R '^engine\.'`.
# Before the tests, each fuzz target runs on its seed corpus for QUORELLE_FUZZ_SECONDS seconds
# (default 20; 0 leaves the fuzz stage out) in a clang build of its own beside the test build
# (<test build>-fuzz, see scripts/fuzz.sh); a finding fails the run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORELLE_TEST_BUILD:-$here/build-test}

bash "$here/scripts/setup.sh"

# The benchmark programs are built too, so that a change that breaks them shows here.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORELLE_SANITIZE=ON \
    -DQUORELLE_BUILD_BENCH=ON "${launcher[@]}"
cmake --build "$build" -j2

fuzz_seconds=${QUORELLE_FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" -gt 0 ]; then
    QUORELLE_FUZZ_BUILD=${QUORELLE_FUZZ_BUILD:-$build-fuzz} bash "$here/scripts/fuzz.sh" "$fuzz_seconds"
fi

# The tests' sanitizer options, as every test has them (cmake/QuorelleTestEnv.cmake): a
# sanitizer report fails the run; third-party suppressions are listed with their reasons.
eval "$(cmake -P "$here/cmake/QuorelleTestEnv.cmake" 2>&1)"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

cd "$build"
ctest --output-on-failure --timeout 600 -j2 "$@"
