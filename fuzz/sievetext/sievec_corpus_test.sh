#!/usr/bin/env bash
# Every script the Sieve writer builds for the fuzz corpus compiles with sievec.
#   sievec_corpus_test.sh FUZZ_TARGET CORPUS_DIR
set -u
target=$1
corpus=$2
command -v sievec >/dev/null || { echo "sievec missing (dovecot-sieve)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
count=0
for input in "$corpus"/*; do
    [ -f "$input" ] || continue
    name=$(basename "$input")
    rm -f "$work/script.sieve" "$work/script.svbin"
    if ! SIEVE_TEXT_OUTPUT="$work/script.sieve" timeout 60 "$target" "$input" 2>"$work/err"; then
        echo "FAIL: $name: the fuzz target failed"; cat "$work/err"; failures=$((failures + 1)); continue
    fi
    if [ ! -s "$work/script.sieve" ]; then
        echo "FAIL: $name: no script written"; failures=$((failures + 1)); continue
    fi
    if ! timeout 60 sievec "$work/script.sieve" "$work/script.svbin" >"$work/out" 2>&1; then
        echo "FAIL: $name: sievec rejects the script"; cat "$work/out"; cat "$work/script.sieve"
        failures=$((failures + 1)); continue
    fi
    count=$((count + 1))
done
echo "$count scripts compiled, $failures failures"
[ "$count" -gt 0 ] && [ "$failures" -eq 0 ]
