#!/usr/bin/env bash
# Small assertion helpers for the tool tests (bash). Source after slapd.sh.
#   tl_setup                      temporary directory TL_DIR, removed (and slapd stopped) on exit
#   tl_run [--stdin TEXT] CMD...  runs CMD; TL_RC, TL_OUT, TL_ERR hold status and outputs
#   tl_expect NAME STATUS OUT ERR compares the last run exactly (pass - to skip OUT or ERR)
#   tl_check NAME COND...         fails NAME unless the command COND succeeds
#   tl_done                       exit status: 0 when every check passed
TL_FAILS=0
TL_CHECKS=0

tl_setup() {
    TL_DIR=$(mktemp -d /tmp/tools-test-XXXXXX)
    chmod 755 "$TL_DIR"
    trap tl_cleanup EXIT
    trap 'exit 130' INT TERM
}

tl_cleanup() {
    qd_stop 2>/dev/null || true
    [ -n "${TL_DIR:-}" ] && rm -rf "$TL_DIR"
}

tl_fail() {
    TL_FAILS=$((TL_FAILS + 1))
    echo "FAIL: $*" >&2
}

tl_run() {
    local input=""
    local have_input=0
    if [ "${1:-}" = "--stdin" ]; then
        input=$2
        have_input=1
        shift 2
    fi
    if [ $have_input = 1 ]; then
        printf '%s' "$input" >"$TL_DIR/.stdin"
    else
        : >"$TL_DIR/.stdin"
    fi
    set +e
    "$@" <"$TL_DIR/.stdin" >"$TL_DIR/.out" 2>"$TL_DIR/.err"
    TL_RC=$?
    set -e
    TL_OUT=$(cat "$TL_DIR/.out"; printf x)
    TL_OUT=${TL_OUT%x}
    TL_ERR=$(cat "$TL_DIR/.err"; printf x)
    TL_ERR=${TL_ERR%x}
    # A sanitizer report fails the test whatever the comparison says.
    if grep -qE 'Sanitizer|runtime error:' "$TL_DIR/.err"; then
        tl_fail "sanitizer report from: $*"
        cat "$TL_DIR/.err" >&2
    fi
}

tl_expect() {
    local name=$1 status=$2 out=$3 err=$4
    TL_CHECKS=$((TL_CHECKS + 1))
    local bad=0
    if [ "$TL_RC" != "$status" ]; then
        echo "  status: expected $status, got $TL_RC" >&2
        bad=1
    fi
    if [ "$out" != "-" ] && [ "$TL_OUT" != "$out" ]; then
        echo "  stdout: expected:" >&2
        printf '%s' "$out" | sed 's/^/    |/' >&2
        echo "  got:" >&2
        printf '%s' "$TL_OUT" | sed 's/^/    |/' >&2
        bad=1
    fi
    if [ "$err" != "-" ] && [ "$TL_ERR" != "$err" ]; then
        echo "  stderr: expected:" >&2
        printf '%s' "$err" | sed 's/^/    |/' >&2
        echo "  got:" >&2
        printf '%s' "$TL_ERR" | sed 's/^/    |/' >&2
        bad=1
    fi
    if [ $bad = 1 ]; then
        tl_fail "$name"
    fi
}

tl_check() {
    local name=$1
    shift
    TL_CHECKS=$((TL_CHECKS + 1))
    if ! "$@"; then
        tl_fail "$name"
    fi
}

tl_done() {
    if [ "$TL_FAILS" -ne 0 ]; then
        echo "$TL_FAILS of $TL_CHECKS checks failed" >&2
        exit 1
    fi
    echo "all $TL_CHECKS checks passed"
    exit 0
}

# Succeeds when the command fails (for tl_check).
tl_not() {
    ! "$@"
}
