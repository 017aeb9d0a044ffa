#!/usr/bin/env bash
# crewdump against a real directory: items and their order, owners and members through the
# user table, nested groups of other domains, escaped DNs, programs, line breaks in values,
# the usage text, every fatal message, failed writes.
# Usage: crewdump_test.sh PATH/TO/crewdump   (TL_CASE=NAME runs one case)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
tool=$1
data="$here/data"
tl_setup

usage_text=$(cat "$data/usage.txt"; printf x)
usage_text=${usage_text%x}
S=dc=quorelle,dc=test

directory() {
    qd_use "$TL_DIR" "$data/groups.ldif"
    export QUORELLE_MSG_CONF="$TL_DIR/msg.conf"
}

case_all_items() {
    directory
    # Groups in the order the server returns them; in each, the single items, then owners,
    # members, remote members, files and programs, each in the order of the values.
    tl_run "$tool" --domain=crew.test
    tl_expect_file "no item option: every item" 0 "$data/all.out" ""
    tl_run "$tool" --all --domain=crew.test
    tl_expect_file "--all" 0 "$data/all.out" ""
    tl_run "$tool" --domain=crew.test --description --joinable --program --file --remote \
        --memberuid --memberalias --member --owneruid --owner --mail --domain --name
    tl_expect_file "every item option" 0 "$data/all.out" ""
}

case_single_items() {
    directory
    # Two mail values: the last. Option order does not change the output order.
    local want=$'name:sub\n\nname:evil\nmail:evil@crew.test\\\r\\\nowner:root\n\nname:team\nmail:team@crew.test\n\nname:a, b\n\n'
    tl_run "$tool" --domain=crew.test --mail --name
    tl_expect "--mail --name" 0 "$want" ""
    tl_run "$tool" --name --domain=crew.test --mail
    tl_expect "--name --mail" 0 "$want" ""
    tl_run "$tool" --domain=crew.test --joinable
    tl_expect "group without the item" 0 $'\n\njoinable:TRUE\n\n\n' ""
}

case_members() {
    directory
    # Users by mail address, nested groups by name at their own domain (partners is a group of
    # other.test), escaped DNs resolved (smith\, j; a\, b), in the order of the values.
    tl_run "$tool" --domain=crew.test --member
    tl_expect "--member" 0 $'member:ann@crew.test\n\n\nmember:bob@crew.test\nmember:sub@crew.test\nmember:smith@crew.test\nmember:partners@other.test\nmember:a, b@crew.test\n\n\n' ""
    tl_run "$tool" --domain=crew.test --memberalias --memberuid
    tl_expect "--memberalias --memberuid" 0 $'memberuid:ann\n\n\nmemberuid:bob\nmemberalias:sub\nmemberuid:smith, j\nmemberalias:partners\nmemberalias:a, b\n\n\n' ""
    tl_run "$tool" --domain=crew.test --owneruid --owner
    tl_expect "owners" 0 $'\n\nowner:ann@crew.test\nowneruid:ann\nowner:smith@crew.test\nowneruid:smith, j\n\n\n' ""
    tl_run "$tool" --domain=other.test --member --owner
    tl_expect "other domain" 0 $'member:zed@other.test\n\n' ""
}

case_user_table_on_demand() {
    directory
    # nomail has no mail address: the table is only loaded for --owner and --member, and a
    # user without an address gets no address line there, while the listing goes on.
    tl_run "$tool" --domain=fault-nomail.test --memberuid --owneruid --name
    tl_expect "--memberuid without the table" 0 $'name:quiet\nowneruid:nomail\nmemberuid:nomail\n\n' ""
    tl_run "$tool" --domain=fault-nomail.test --member --name
    tl_expect "--member: no address, no line" 0 $'name:quiet\n\n' ""
    tl_run "$tool" --domain=fault-nomail.test --owner --owneruid --member --memberuid
    tl_expect "--owner: no address, no line" 0 $'owneruid:nomail\nmemberuid:nomail\n\n' ""
}

case_foreign_users() {
    directory
    # A member uid of another domain: only this domain's users are loaded. The block of the
    # group before stays on standard output.
    tl_run "$tool" --domain=fault-foreign.test --member
    tl_expect "uid of another domain" 1 $'member:yan@fault-foreign.test\n\n' \
        $'ERROR:256:crewdump:can\'t find user entry for uid: zed\n'
    tl_run "$tool" --domain=fault-foreign.test --memberuid
    tl_expect "uid of another domain, --memberuid" 0 $'memberuid:yan\n\nmemberuid:zed\n\n' ""
    # ann of crew.test is not the ann of fault-shadow.test.
    tl_run "$tool" --domain=fault-shadow.test --member
    tl_expect "same uid in another domain" 1 "" \
        $'ERROR:256:crewdump:can\'t find user entry for uid: ann\n'
}

case_programs() {
    directory
    # The first character (the alias file's pipe) is left out; a bare pipe leaves nothing.
    tl_run "$tool" --domain=crew.test --program --file
    tl_expect "programs" 0 $'\nprogram:/bin/true\\\nprogram:/bin/sh\n\nfile:/var/spool/archive/team\nprogram:/usr/bin/procmail -m team\nprogram:\n\n\n' ""
}

case_line_breaks() {
    directory
    tl_run "$tool" --domain=crew.test --name --description --mail --remote --program
    printf '%s' "$TL_OUT" >"$TL_DIR/out"
    # Lines ending in a backslash joined with the next: one line per value, no forged key.
    local joined
    joined=$(awk '{ if (sub(/\\$/, "")) { buf = buf $0 "<NL>"; next } print buf $0; buf = "" }' \
        "$TL_DIR/out" | tr -d '\r')
    tl_check "no forged key" tl_not grep -qE '^(member:thief|owner:root|file:/etc|program:/bin/sh)' \
        <<<"$joined"
    tl_check "description joined back" grep -qxF 'description:x<NL>member:thief@evil.test' \
        <<<"$joined"
    tl_check "remote joined back" grep -qxF 'remote:r@outside.test<NL>file:/etc/passwd' <<<"$joined"
    tl_check "four groups" test "$(grep -c '^name:' <<<"$joined")" = 4
}

case_dn_faults() {
    directory
    tl_run "$tool" --domain=fault-owner.test --owneruid
    tl_expect "owner not a user" 1 "" "ERROR:256:crewdump:uid not found in dn: cn=admin,$S"$'\n'
    tl_run "$tool" --domain=fault-owner.test --owner
    tl_expect "owner not a user, --owner" 1 "" "ERROR:256:crewdump:uid not found in dn: cn=admin,$S"$'\n'
    tl_run "$tool" --domain=fault-member.test --memberalias
    tl_expect "member neither user nor group" 1 "" \
        "ERROR:256:crewdump:cn not found in dn: ou=MSG Users,ou=fault-member.test,$S"$'\n'
    tl_run "$tool" --domain=fault-solo.test --memberuid
    tl_expect "one-component DN" 1 "" $'ERROR:256:crewdump:uid not found in dn: uid=solo\n'
    # A group member must show its domain for --member; its name alone serves --memberalias.
    tl_run "$tool" --domain=fault-nomsg.test --member
    tl_expect "group DN without container" 1 "" "ERROR:256:crewdump:MSG not found in dn: cn=list,$S"$'\n'
    tl_run "$tool" --domain=fault-noou.test --member
    tl_expect "group DN without domain" 1 "" \
        "ERROR:256:crewdump:ou not found in dn: cn=list,ou=MSG Groups,$S"$'\n'
    tl_run "$tool" --domain=fault-noou.test --memberalias
    tl_expect "group DN without domain, --memberalias" 0 $'memberalias:list\n\n' ""
}

case_usage() {
    directory
    local args
    for args in "" "--name" "--domain" "--domain=" "--all" "--domain=crew.test --all --name" \
        "--member --all --domain=crew.test" "--domain=crew.test --bogus" \
        "--domain=crew.test --Name" "--domain=crew.test --uid" "--domain=crew.test --members"; do
        # shellcheck disable=SC2086 # the arguments are split on purpose
        tl_run "$tool" $args
        tl_expect "usage: '$args'" 1 "$usage_text" ""
    done
}

case_fatal() {
    directory
    tl_run "$tool" --domain=nowhere.test
    tl_expect "missing domain" 1 "" $'ERROR:256:--domain=nowhere.test does not exist\n'
    local long
    long=$(printf 'd%.0s' $(seq 1 128))
    tl_run "$tool" "--domain=$long"
    tl_expect "128-byte domain" 1 "" $'ERROR:256:crewdump:--domain length exceeds maximum value of 128\n'
    tl_run "$tool" $'--domain=crew\ttest'
    tl_expect "control byte" 1 "" $'ERROR:256:crewdump:--domain=crew\ttest contains invalid characters\n'
    QUORELLE_MSG_CONF="$TL_DIR/none.conf" tl_run "$tool" --domain=crew.test
    tl_expect "no msg.conf" 1 "" "ERROR:256:crewdump:Unable to open $TL_DIR/none.conf"$'\n'
    sed 's/^ADMINPW:.*/ADMINPW:wrong/' "$TL_DIR/msg.conf" >"$TL_DIR/badpw.conf"
    QUORELLE_MSG_CONF="$TL_DIR/badpw.conf" tl_run "$tool" --domain=crew.test
    tl_expect "bind failed" 1 "" $'ERROR:256:Bind failed (49): Invalid credentials\n'
}

case_failed_write() {
    directory
    tl_run bash -c '"$1" --domain=crew.test >/dev/full' - "$tool"
    tl_expect "full disk" 1 "" $'ERROR:256:crewdump:Cannot write standard output: No space left on device\n'
    local w rw
    rm -f "$TL_DIR/fifo"
    mkfifo "$TL_DIR/fifo"
    exec {rw}<>"$TL_DIR/fifo"
    exec {w}>"$TL_DIR/fifo"
    exec {rw}<&-
    tl_run bash -c '"$1" --domain=crew.test >&$2' - "$tool" "$w"
    exec {w}>&-
    tl_expect "closed pipe" 1 "" $'ERROR:256:crewdump:Cannot write standard output: Broken pipe\n'
}

case_big_table() {
    # More users than the table's first size, members in another order than the users; two
    # entries with the uid dup (the first one the server returns counts).
    local ldif="$TL_DIR/big.ldif" n=1500 i
    {
        printf 'dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: q\n\n' "$S"
        printf 'dn: ou=big.test,%s\nobjectClass: organizationalUnit\nou: big.test\n\n' "$S"
        for c in "MSG Users" "MSG Groups"; do
            printf 'dn: ou=%s,ou=big.test,%s\nobjectClass: organizationalUnit\nou: %s\n\n' "$c" "$S" "$c"
        done
        for i in $(seq 1 $n); do
            printf 'dn: uid=u%d,ou=MSG Users,ou=big.test,%s\nobjectClass: inetOrgPerson\n' "$i" "$S"
            printf 'objectClass: msgUser\nuid: u%d\ncn: u\nsn: u\nmail: m%d@big.test\n\n' "$i" "$i"
        done
        printf 'dn: uid=dup,ou=MSG Users,ou=big.test,%s\nobjectClass: inetOrgPerson\n' "$S"
        printf 'objectClass: msgUser\nuid: dup\ncn: u\nsn: u\nmail: first@big.test\n\n'
        printf 'dn: ou=more,ou=MSG Users,ou=big.test,%s\nobjectClass: organizationalUnit\nou: more\n\n' "$S"
        printf 'dn: uid=dup,ou=more,ou=MSG Users,ou=big.test,%s\nobjectClass: inetOrgPerson\n' "$S"
        printf 'objectClass: msgUser\nuid: dup\ncn: u\nsn: u\nmail: second@big.test\n\n'
        printf 'dn: cn=all,ou=MSG Groups,ou=big.test,%s\nobjectClass: msgGroup\ncn: all\n' "$S"
        for i in $(seq $n -1 1); do
            printf 'member: uid=u%d,ou=MSG Users,ou=big.test,%s\n' "$i" "$S"
        done
        printf 'member: uid=dup,ou=MSG Users,ou=big.test,%s\n\n' "$S"
    } >"$ldif"
    qd_use "$TL_DIR" "$ldif"
    export QUORELLE_MSG_CONF="$TL_DIR/msg.conf"
    local first
    first=$(ldapsearch -x -LLL -H "$QD_URI" -b "ou=MSG Users,ou=big.test,$S" '(uid=dup)' mail |
        sed -n 's/^mail: //p' | head -1)
    {
        for i in $(seq $n -1 1); do
            printf 'member:m%d@big.test\n' "$i"
        done
        printf 'member:%s\n\n' "$first"
    } >"$TL_DIR/big.expected"
    tl_run "$tool" --domain=big.test --member
    tl_expect_file "every member found" 0 "$TL_DIR/big.expected" ""
}

tl_case "all items" case_all_items
tl_case "single items" case_single_items
tl_case "members" case_members
tl_case "user table on demand" case_user_table_on_demand
tl_case "users of other domains" case_foreign_users
tl_case "programs" case_programs
tl_case "line breaks in values" case_line_breaks
tl_case "DN faults" case_dn_faults
tl_case "usage" case_usage
tl_case "fatal messages" case_fatal
tl_case "failed write" case_failed_write
tl_case "big user table" case_big_table
tl_done
