#!/usr/bin/env bash
# Small assertion helpers for the tool tests (bash). Source after slapd.sh.
#   tl_setup                      temporary directory TL_DIR, removed (and slapd stopped) on exit
#   tl_case NAME FUNCTION [ARG...] runs FUNCTION as the case NAME; with TL_CASE set to a name (or
#                                 a shell pattern) only the cases it matches run:
#                                     TL_CASE='missing domain' bash zonetally_test.sh PROGRAM
#   tl_run [--stdin TEXT] CMD...  runs CMD; TL_RC, TL_OUT, TL_ERR hold status and outputs
#   tl_expect NAME STATUS OUT ERR compares the last run exactly (pass - to skip OUT or ERR)
#   tl_expect_file NAME STATUS FILE ERR
#                                 the same, with the expected standard output in FILE (diff -u)
#   tl_same_file NAME EXPECTED ACTUAL
#                                 fails NAME unless the two files are equal (diff -u shown)
#   tl_check NAME COND...         fails NAME unless the command COND succeeds
#   tl_private_user USER SCRIPT ARG...
#                                 runs the rest of the test (SCRIPT again, with its arguments) in
#                                 a private mount namespace whose passwd and group files carry
#                                 USER, so that the host's user database is left alone
#   tl_done                       exit status: 0 when every check passed
TL_FAILS=0
TL_CHECKS=0
TL_CASES_RUN=0
TL_CURRENT_CASE=""

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
    if [ -n "$TL_CURRENT_CASE" ]; then
        echo "FAIL: [$TL_CURRENT_CASE] $*" >&2
    else
        echo "FAIL: $*" >&2
    fi
}

# A case is a function that sets up what it needs itself (fixtures, e.g. qd_use), so that it
# runs alone as well as after the others.
tl_case() {
    local name=$1
    shift
    # shellcheck disable=SC2053 # TL_CASE may be a pattern
    if [ -n "${TL_CASE:-}" ] && [[ $name != $TL_CASE ]]; then
        return 0
    fi
    TL_CASES_RUN=$((TL_CASES_RUN + 1))
    TL_CURRENT_CASE=$name
    echo "case: $name"
    "$@"
    TL_CURRENT_CASE=""
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

# tl_same_text LABEL EXPECTED ACTUAL: true when equal (or EXPECTED is -), else both shown.
tl_same_text() {
    [ "$2" = "-" ] || [ "$2" = "$3" ] && return 0
    echo "  $1: expected:" >&2
    printf '%s' "$2" | sed 's/^/    |/' >&2
    echo "  got:" >&2
    printf '%s' "$3" | sed 's/^/    |/' >&2
    return 1
}

tl_expect() {
    local name=$1 status=$2 out=$3 err=$4
    TL_CHECKS=$((TL_CHECKS + 1))
    local bad=0
    if [ "$TL_RC" != "$status" ]; then
        echo "  status: expected $status, got $TL_RC" >&2
        bad=1
    fi
    tl_same_text stdout "$out" "$TL_OUT" || bad=1
    tl_same_text stderr "$err" "$TL_ERR" || bad=1
    if [ $bad = 1 ]; then
        tl_fail "$name"
    fi
}

tl_expect_file() {
    local name=$1 status=$2 file=$3 err=$4
    tl_expect "$name" "$status" - "$err"
    printf '%s' "$TL_OUT" >"$TL_DIR/.out.actual"
    tl_same_file "$name (standard output)" "$file" "$TL_DIR/.out.actual"
}

tl_same_file() {
    local name=$1 expected=$2 actual=$3
    TL_CHECKS=$((TL_CHECKS + 1))
    if ! diff -u --label "expected $expected" --label "actual $actual" "$expected" "$actual" >&2; then
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
    if [ -n "${TL_CASE:-}" ] && [ "$TL_CASES_RUN" = 0 ]; then
        echo "no case matches TL_CASE=$TL_CASE" >&2
        exit 1
    fi
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

tl_private_user() {
    local user=$1
    shift
    if [ "${TL_PRIVATE_USER:-}" = "$user" ] || getent passwd "$user" >/dev/null; then
        return 0
    fi
    if ! unshare --mount --propagation private true 2>/dev/null; then
        echo "tl_private_user: no private mount namespace here; needs the user $user on the host" >&2
        exit 1
    fi
    # A user and group id that the host does not use.
    local id=60990
    while getent passwd "$id" >/dev/null || getent group "$id" >/dev/null; do
        id=$((id + 1))
    done
    local status=0
    TL_PRIVATE_USER=$user TL_PRIVATE_ID=$id unshare --mount --propagation private bash -c '
        set -e
        d=$(mktemp -d /tmp/tools-passwd-XXXXXX)
        trap "rm -rf \"\$d\"" EXIT
        mount -t tmpfs -o size=4m tools-passwd "$d"
        cp /etc/passwd /etc/group "$d/"
        echo "$TL_PRIVATE_USER:x:$TL_PRIVATE_ID:$TL_PRIVATE_ID::/nonexistent:/usr/sbin/nologin" >>"$d/passwd"
        echo "$TL_PRIVATE_USER:x:$TL_PRIVATE_ID:" >>"$d/group"
        mount --bind "$d/passwd" /etc/passwd
        mount --bind "$d/group" /etc/group
        set +e
        bash "$@"
        status=$?
        umount /etc/passwd /etc/group "$d"
        exit $status' bash "$@" || status=$?
    exit "$status"
}
