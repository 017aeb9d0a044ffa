#!/usr/bin/env bash
# rosterdump against a real directory: output order, multi-valued items, the vacation
# message, line breaks in values, the usage text, every fatal message, failed writes.
# Usage: rosterdump_test.sh PATH/TO/rosterdump   (TL_CASE=NAME runs one case)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
tool=$1
data="$here/data"
tl_setup

usage_text=$(cat "$data/usage.txt"; printf x)
usage_text=${usage_text%x}

directory() {
    qd_use "$TL_DIR" "$data/users.ldif"
    export QUORELLE_MSG_CONF="$TL_DIR/msg.conf"
}

case_all_items() {
    directory
    tl_run "$tool" --domain=roster.test
    tl_expect_file "no item option: every item" 0 "$data/all.out" ""
    tl_run "$tool" --domain=roster.test --all
    tl_expect_file "--all" 0 "$data/all.out" ""
    # Every item option named (in reverse output order) lists the same.
    tl_run "$tool" --spamallowed --spamdestroyenabled --spamfilterenabled --vacationmessage \
        --vacationsubject --vacationenabled --mailstop --title --mobile --pager --fax \
        --businessphone --homephone --forward --alternatemail --mail --fullname --lastname \
        --firstname --domain --uid --domain=roster.test
    tl_expect_file "every item option" 0 "$data/all.out" ""
}

case_option_order() {
    directory
    local want=$'uid:ann\nmail:ann@roster.test\n\nuid:bare\n\nuid:eve\nmail:eve@roster.test\n\n'
    tl_run "$tool" --domain=roster.test --mail --uid
    tl_expect "--mail --uid" 0 "$want" ""
    tl_run "$tool" --uid --domain=roster.test --mail
    tl_expect "--uid --mail" 0 "$want" ""
}

case_multi_valued() {
    directory
    # The last mail value; both alternate addresses right after the mail line, whatever
    # the option order; the allowed senders last.
    tl_run "$tool" --domain=roster.test --spamallowed --alternatemail --title --mail
    tl_expect_file "alternates after mail, allowed last" 0 "$data/multi.out" ""
    # Without --mail the alternate addresses still come in the mail line's place.
    tl_run "$tool" --domain=roster.test --alternatemail --uid --forward
    tl_expect "alternates without mail" 0 \
        $'uid:ann\nalternatemail:a.avery@roster.test\nalternatemail:ann.a@roster.test\nforward:ann@elsewhere.test\n\nuid:bare\n\nuid:eve\nforward:fw@roster.test\\\rforward:thief@evil.test\n\n' ""
}

case_vacation_message() {
    directory
    tl_run "$tool" --domain=roster.test --vacationmessage
    tl_expect "two-line message" 0 \
        $'vacationmessage:Away\\\nBack Monday\n\n\nvacationmessage:One\\\n\\\nThree\\\\n end\\\n\n\n' ""
}

case_nothing_asked_present() {
    directory
    # bare has none of these: its block is the empty separator line alone.
    tl_run "$tool" --domain=roster.test --forward
    tl_expect "user without the item" 0 \
        $'forward:ann@elsewhere.test\n\n\nforward:fw@roster.test\\\rforward:thief@evil.test\n\n' ""
    tl_run "$tool" --domain=empty.test
    tl_expect "domain without users" 0 "" ""
}

case_line_breaks() {
    directory
    tl_run "$tool" --domain=roster.test --uid --fullname --mail --title --forward --spamallowed
    printf '%s' "$TL_OUT" >"$TL_DIR/eve.out"
    tl_same_file "hostile values" "$data/linebreaks.out" "$TL_DIR/eve.out"
    # Joining every line that ends in a backslash with the next gives back one line per
    # value; no value forges a key of its own.
    local joined
    joined=$(awk '{ if (sub(/\\$/, "")) { buf = buf $0 "<NL>"; next } print buf $0; buf = "" }' \
        "$TL_DIR/eve.out" | tr -d '\r')
    tl_check "one uid per user" test "$(grep -c '^uid:' <<<"$joined")" = 3
    tl_check "one mail per user with mail" test "$(grep -c '^mail:' <<<"$joined")" = 2
    tl_check "no forged key" tl_not grep -qE '^(uid:root|mail:someone|forward:thief|uid:admin)' \
        <<<"$joined"
    tl_check "title joined back" grep -qxF 'title:x<NL>mail:someone@else' <<<"$joined"
}

case_usage() {
    directory
    local args
    for args in "" "--uid" "--domain" "--domain=" "--all" "--domain=roster.test --all --mail" \
        "--mail --all --domain=roster.test" "--domain=roster.test --bogus" \
        "--domain=roster.test --Mail" "--domain=roster.test uid" "--domain=roster.test --mail=x" \
        "--domain=roster.test --description"; do
        # shellcheck disable=SC2086 # the arguments are split on purpose
        tl_run "$tool" $args
        tl_expect "usage: '$args'" 1 "$usage_text" ""
    done
    # The usage test comes before the directory is asked anything: no password read.
    sed '/^ADMINPW:/d' "$TL_DIR/msg.conf" >"$TL_DIR/nopw.conf"
    QUORELLE_MSG_CONF="$TL_DIR/nopw.conf" tl_run --stdin "" "$tool" --all --uid
    tl_expect "usage before the password" 1 "$usage_text" ""
    # A later --domain= replaces an earlier one.
    tl_run "$tool" --domain=nowhere.test --uid --domain=empty.test
    tl_expect "last domain" 0 "" ""
}

case_fatal() {
    directory
    local conf="$TL_DIR/msg.conf"
    tl_run "$tool" --domain=nowhere.test
    tl_expect "missing domain" 1 "" $'ERROR:256:--domain=nowhere.test does not exist\n'
    tl_run "$tool" "--domain=MSG Users"
    tl_expect "container is no domain" 1 "" $'ERROR:256:--domain=MSG Users does not exist\n'
    local long
    long=$(printf 'd%.0s' $(seq 1 128))
    tl_run "$tool" "--domain=$long"
    tl_expect "128-byte domain" 1 "" \
        $'ERROR:256:rosterdump:--domain length exceeds maximum value of 128\n'
    tl_run "$tool" "--domain=${long:1}"
    tl_expect "127-byte domain passes" 1 "" "ERROR:256:--domain=${long:1} does not exist"$'\n'
    tl_run "$tool" $'--domain=roster.test\nuid:x'
    tl_expect "control byte" 1 "" $'ERROR:256:rosterdump:--domain=roster.test\nuid:x contains invalid characters\n'
    QUORELLE_MSG_CONF="$TL_DIR/none.conf" tl_run "$tool" --domain=roster.test
    tl_expect "no msg.conf" 1 "" "ERROR:256:rosterdump:Unable to open $TL_DIR/none.conf"$'\n'
    grep -v '^LDAPSUFFIX:' "$conf" >"$TL_DIR/short.conf"
    QUORELLE_MSG_CONF="$TL_DIR/short.conf" tl_run "$tool" --domain=roster.test
    tl_expect "incomplete msg.conf" 1 "" \
        $'ERROR:256:rosterdump:msg.conf missing critical configuration information\n'
    sed 's/^ADMINPW:.*/ADMINPW:wrong/' "$conf" >"$TL_DIR/badpw.conf"
    QUORELLE_MSG_CONF="$TL_DIR/badpw.conf" tl_run "$tool" --domain=roster.test
    tl_expect "bind failed" 1 "" $'ERROR:256:Bind failed (49): Invalid credentials\n'
    # Without ADMINPW: bind DN and password from standard input.
    sed '/^ADMINPW:/d' "$conf" >"$TL_DIR/nopw.conf"
    QUORELLE_MSG_CONF="$TL_DIR/nopw.conf" tl_run --stdin "$QD_ADMIN"$'\n'"$QD_PASSWORD"$'\n' \
        "$tool" --domain=roster.test --uid
    tl_expect "password from standard input" 0 $'uid:ann\n\nuid:bare\n\nuid:eve\n\n' ""
    sed 's/^LDAPHOST:.*/LDAPHOST:bad host name/' "$conf" >"$TL_DIR/badhost.conf"
    QUORELLE_MSG_CONF="$TL_DIR/badhost.conf" tl_run "$tool" --domain=roster.test
    tl_expect "ldap_init failed" 1 "" $'ERROR:256:ldap_init failed\n'
}

case_failed_write() {
    directory
    tl_run bash -c '"$1" --domain=roster.test >/dev/full' - "$tool"
    tl_expect "full disk" 1 "" \
        $'ERROR:256:rosterdump:Cannot write standard output: No space left on device\n'
    # A pipe whose reader has gone: the write fails at once (the tool ignores SIGPIPE).
    local w rw
    rm -f "$TL_DIR/fifo"
    mkfifo "$TL_DIR/fifo"
    exec {rw}<>"$TL_DIR/fifo"
    exec {w}>"$TL_DIR/fifo"
    exec {rw}<&-
    tl_run bash -c '"$1" --domain=roster.test >&$2' - "$tool" "$w"
    exec {w}>&-
    tl_expect "closed pipe" 1 "" $'ERROR:256:rosterdump:Cannot write standard output: Broken pipe\n'
}

tl_case "all items" case_all_items
tl_case "option order" case_option_order
tl_case "multi-valued items" case_multi_valued
tl_case "vacation message" case_vacation_message
tl_case "nothing asked present" case_nothing_asked_present
tl_case "line breaks in values" case_line_breaks
tl_case "usage" case_usage
tl_case "fatal messages" case_fatal
tl_case "failed write" case_failed_write
tl_done
