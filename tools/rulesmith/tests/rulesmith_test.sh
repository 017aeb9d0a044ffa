#!/usr/bin/env bash
# rulesmith against a real directory and a Sieve tree: paths, file states and modes, the
# script text, debug output, --uid, fatal errors, and the mended faults (group cycles, uids
# that are no file names, atomic replacement of the script, files planted in a user
# directory). Every run of the tool is bounded in time.
# Usage: [TL_CASE=NAME] rulesmith_test.sh PATH/TO/rulesmith
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
source "$here/sieve_tree.sh"
tool=$1
demo="$here/../../../examples/directory/demo.ldif"
data="$here/data"
tl_setup
tree="$TL_DIR/sieve"
export QUORELLE_SIEVE_DIR="$tree"
export QUORELLE_MSG_CONF="$TL_DIR/msg.conf"
users_dn="ou=MSG Users,ou=edge.test,$QD_SUFFIX"
groups_dn="ou=MSG Groups,ou=edge.test,$QD_SUFFIX"

is_cyrus() { [ "$(stat -c %U "$1")" = cyrus ]; }
mode_is() { [ "$(stat -c %a "$1")" = "$2" ]; }
rulesmith() { tl_run timeout 60 "$tool" "$@"; }

# Edge cases of the directory, next to the demo data.
{
    ldif_domain edge.test
    ldif_user Zed edge.test "mail: zed@edge.test" "corvaneMsgVacationEnabled: TRUE"
    ldif_user 9lives edge.test "mail: 9lives@edge.test" "corvaneMsgSpamFilterEnabled: TRUE" \
        "corvaneMsgSpamDestroyEnabled: TRUE" "corvaneMsgVacationEnabled: FALSE"
    ldif_user dave edge.test "mail: dave@edge.test" "corvaneMsgSpamFilterEnabled: TRUE"
    ldif_user erin edge.test "mail: erin@edge.test" "corvaneMsgVacationEnabled: TRUE" \
        "corvaneMsgVacationSubject: Gone"
    ldif_user frank edge.test "mail: frank" "corvaneMsgSpamFilterEnabled: TRUE"
    # Nesting cycle: cyc-a is a member of cyc-b and cyc-b of cyc-a; self is its own member.
    ldif_group cyc-a edge.test "member: uid=dave,$users_dn" "member: cn=cyc-b,$groups_dn"
    ldif_group cyc-b edge.test "member: cn=cyc-a,$groups_dn"
    ldif_group self edge.test "member: uid=frank,$users_dn" "member: cn=self,$groups_dn"
    # Names that need escaping in a DN or hold "MSG" still resolve as nested members.
    printf 'dn: uid=g\\+na,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\nuid: g+na\ncn: g\n' "$users_dn"
    printf 'sn: g\nou: edge.test\nmail: gina@edge.test\ncorvaneMsgSpamFilterEnabled: TRUE\n\n'
    printf 'dn: cn=MSG-team\\, west,%s\nobjectClass: msgGroup\ncn: MSG-team, west\nou: edge.test\n' "$groups_dn"
    printf 'member: uid=g\\+na,%s\n\n' "$users_dn"
    ldif_group outer edge.test "member: cn=MSG-team\\, west,$groups_dn"
} >"$TL_DIR/edge.ldif" >"$TL_DIR/edge.ldif"

# Fixtures: the directory with the demo data (and the edge cases), an empty Sieve tree.
demo_fixture() {
    qd_use "$TL_DIR" "$demo"
    rm -rf "$tree"
    make_tree "$tree"
}
edge_fixture() {
    qd_use "$TL_DIR" "$demo" "$TL_DIR/edge.ldif"
    rm -rf "$tree"
    make_tree "$tree"
}

# ---------------------------------------------------------------- demo directory
debug_output() {
    demo_fixture
    rulesmith --debug
    tl_expect_file "debug output" 0 "$data/debug_demo.txt" ""
}

demo_scripts() {
    demo_fixture
    rulesmith
    tl_expect "demo run" 0 "" ""
    tl_same_file "alice script text" "$data/alice.sieve" "$tree/a/alice/msg.script"
    tl_check "Carol lies below q/" test -f "$tree/q/Carol/msg.script"
    tl_check "7dwarfs lies below q/" test -f "$tree/q/7dwarfs/msg.script"
    local d
    for d in "$tree/a/alice" "$tree/b/bob" "$tree/q/Carol" "$tree/q/7dwarfs"; do
        tl_check "$d mode 0700" mode_is "$d" 700
        tl_check "$d owned by cyrus" is_cyrus "$d"
        tl_check "$d script mode 0600" mode_is "$d/msg.script" 600
        tl_check "$d script owned by cyrus" is_cyrus "$d/msg.script"
        tl_check "$d link" test "$(readlink "$d/default")" = msg.script
        tl_check "$d script compiles" sieve_ok "$d/msg.script"
    done
    tl_check "no temporary file left" test ! -e "$tree/a/alice/msg.script.new"
    tl_check "one-letter directories untouched" test "$(find "$tree" -mindepth 1 -maxdepth 1 | wc -l)" = 26
}

rebuild() {
    demo_fixture
    rulesmith
    # Without --debug nothing is printed; a second run gives the same scripts.
    cp "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
    local inode
    inode=$(stat -c %i "$tree/a/alice/msg.script")
    rulesmith
    tl_expect "quiet run" 0 "" ""
    tl_check "rebuild is stable" cmp -s "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
    tl_check "an unchanged script is left in place" test "$(stat -c %i "$tree/a/alice/msg.script")" = "$inode"
    # A script that differs (here: one byte more, one byte less) is replaced.
    printf '#' >>"$tree/a/alice/msg.script"
    rulesmith --uid=alice
    tl_check "longer script replaced" cmp -s "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
    truncate -s -1 "$tree/a/alice/msg.script"
    rulesmith --uid=alice
    tl_check "shorter script replaced" cmp -s "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
}

# ---------------------------------------------------------------- edge cases
edge_scripts() {
    edge_fixture
    rulesmith
    tl_expect "edge run" 0 "" ""
    tl_same_file "no subject, no note" "$data/zed.sieve" "$tree/q/Zed/msg.script"
    tl_same_file "destroy mode" "$data/9lives.sieve" "$tree/q/9lives/msg.script"
    tl_same_file "group cycle followed once" "$data/dave.sieve" "$tree/d/dave/msg.script"
    tl_check "mail without @: local part is the whole value" \
        grep -q '^if header :contains "to" "frank" {$' "$tree/f/frank/msg.script"
    local f
    for f in "$tree"/*/*/msg.script; do
        tl_check "$f compiles" sieve_ok "$f"
    done
    tl_check "escaped DNs resolve" test "$(grep -c '^if header :contains "[tc][oc]" "\(MSG-team, west\|outer\)" {$' "$tree/g/g+na/msg.script")" = 4
}

debug_tree() {
    edge_fixture
    rulesmith --debug --uid=dave
    tl_check "debug tree: dave" test "$(sed -n '/^User alias tree:$/,$p' <<<"$TL_OUT" | grep -A4 '^uid:dave$')" = \
        $'uid:dave\ndomain:edge.test\nalias:level 1:cyc-a@edge.test\nalias:level 2:cyc-b@edge.test'
    tl_check "debug tree: frank in a self-member group" \
        test "$(sed -n '/^User alias tree:$/,$p' <<<"$TL_OUT" | grep -A3 '^uid:frank$')" = \
        $'uid:frank\ndomain:edge.test\nalias:level 1:self@edge.test'
    tl_check "--uid prints one processing line" test "$(grep -c '^Enabling filters' <<<"$TL_OUT")" = 1
}

one_uid() {
    edge_fixture
    rulesmith --uid=erin
    tl_expect "--uid=erin" 0 "" ""
    tl_check "only erin written" test "$(find "$tree" -name msg.script)" = "$tree/e/erin/msg.script"
    rulesmith --uid=nobody
    tl_expect "unknown uid" 1 "" $'ERROR:256:rulesmith:can\'t find user entry for uid: nobody\n'
    rulesmith --uid=Erin
    tl_expect "uid lookup is exact" 1 "" $'ERROR:256:rulesmith:can\'t find user entry for uid: Erin\n'
}

custom_script() {
    edge_fixture
    rulesmith --uid=erin
    # the user-supplied script is copied between the markers
    printf '# mine\nif header :contains "subject" "x" { keep; }\n' >"$tree/e/erin/custom.script"
    chown cyrus "$tree/e/erin/custom.script"
    rulesmith --uid=erin
    tl_check "custom script copied" grep -qzF $'# user supplied script begins\n# mine\nif header :contains "subject" "x" { keep; }\n# user supplied script ends\n\n' "$tree/e/erin/msg.script"
    tl_check "script with custom part compiles" sieve_ok "$tree/e/erin/msg.script"

    # a link naming another script: the link stays, the generated script goes
    ln -sfn custom.script "$tree/e/erin/default"
    rulesmith --uid=erin --debug
    tl_check "custom message" grep -qx 'User erin has a custom script' <<<"$TL_OUT"
    tl_check "generated script removed" test ! -e "$tree/e/erin/msg.script"
    tl_check "custom link kept" test "$(readlink "$tree/e/erin/default")" = custom.script
    tl_check "custom script kept" test -f "$tree/e/erin/custom.script"
}

disabling() {
    edge_fixture
    # disabling removes script, link and directory; other files keep the directory
    rulesmith --uid=frank
    tl_check "frank enabled" test -f "$tree/f/frank/msg.script"
    printf 'dn: uid=frank,%s\nchangetype: modify\nreplace: corvaneMsgSpamFilterEnabled\ncorvaneMsgSpamFilterEnabled: FALSE\n' \
        "$users_dn" >"$TL_DIR/frank-off.ldif"
    qd_modify "$TL_DIR/frank-off.ldif"
    rulesmith --uid=frank --debug
    tl_check "disabling message" grep -qx 'Disabling filters for user: frank' <<<"$TL_OUT"
    tl_check "directory removed" test ! -e "$tree/f/frank"
    rulesmith --uid=9lives
    printf 'keep;\n' >"$tree/q/9lives/custom.script"
    printf 'dn: uid=9lives,%s\nchangetype: modify\nreplace: corvaneMsgSpamFilterEnabled\ncorvaneMsgSpamFilterEnabled: FALSE\n' \
        "$users_dn" >"$TL_DIR/9-off.ldif"
    qd_modify "$TL_DIR/9-off.ldif"
    rulesmith --uid=9lives
    tl_check "script and link removed" test ! -e "$tree/q/9lives/msg.script" -a ! -L "$tree/q/9lives/default"
    tl_check "directory with custom.script stays" test -f "$tree/q/9lives/custom.script"
}

atomic_replacement() {
    edge_fixture
    # a run killed while writing (file size limit) or a write that fails leaves the previous
    # script whole
    local long_note
    long_note=$(head -c 3000 /dev/zero | tr '\0' 'n')
    printf 'dn: uid=erin,%s\nchangetype: modify\nreplace: corvaneMsgVacationMessage\ncorvaneMsgVacationMessage: %s\n' \
        "$users_dn" "$long_note" >"$TL_DIR/erin-note.ldif"
    rulesmith --uid=erin
    tl_check "first script written" sieve_ok "$tree/e/erin/msg.script"
    cp "$tree/e/erin/msg.script" "$TL_DIR/erin.before"
    qd_modify "$TL_DIR/erin-note.ldif"
    tl_run timeout 60 bash -c 'ulimit -f 1; exec "$0" --uid=erin' "$tool"
    tl_check "killed while writing (status $TL_RC)" test "$TL_RC" != 0
    tl_check "old script intact after kill" cmp -s "$tree/e/erin/msg.script" "$TL_DIR/erin.before"
    tl_run timeout 60 bash -c 'trap "" XFSZ; ulimit -f 1; exec "$0" --uid=erin' "$tool"
    tl_expect "write failure" 1 "" \
        "ERROR:256:rulesmith:cannot write $tree/e/erin/msg.script: File too large"$'\n'
    tl_check "old script intact after failed write" cmp -s "$tree/e/erin/msg.script" "$TL_DIR/erin.before"
    tl_check "temporary file removed" test ! -e "$tree/e/erin/msg.script.new"
    rulesmith --uid=erin
    tl_check "next run writes the new note" grep -q "^$long_note\$" "$tree/e/erin/msg.script"
}

unsafe_uids() {
    edge_fixture
    # uids that are no single file name are refused; nothing outside the tree is touched
    {
        ldif_user .. edge.test "mail: dots@edge.test" "corvaneMsgSpamFilterEnabled: TRUE"
        ldif_user . edge.test "mail: dot@edge.test" "corvaneMsgSpamFilterEnabled: TRUE"
        ldif_user a/b edge.test "mail: ab@edge.test" "corvaneMsgSpamFilterEnabled: TRUE"
    } >"$TL_DIR/bad.ldif"
    qd_add "$TL_DIR/bad.ldif"
    rulesmith
    tl_expect "unsafe uids refused" 1 "" $'ERROR:256:rulesmith:refusing uid .: not usable as a directory name
ERROR:256:rulesmith:refusing uid ..: not usable as a directory name
ERROR:256:rulesmith:refusing uid a/b: not usable as a directory name\n'
    tl_check "other users processed" test -f "$tree/a/alice/msg.script" -a -f "$tree/d/dave/msg.script"
    tl_check "nothing written in the tree root or a letter directory" \
        test -z "$(find "$tree" -maxdepth 2 \( -type f -o -type l \))"
    tl_check "no a/a directory" test ! -e "$tree/a/a"
    rulesmith --uid=..
    tl_expect "unsafe uid with --uid" 1 "" $'ERROR:256:rulesmith:refusing uid ..: not usable as a directory name\n'
}

group_faults() {
    edge_fixture
    # the users are read while the group search is already running; the user table still
    # comes first, a group without ou is skipped before its members are looked at, a faulty
    # member DN ends the run after the user table
    printf 'dn: cn=noou,%s\nobjectClass: msgGroup\ncn: noou\nmember: cn=nowhere,%s\n' "$groups_dn" \
        "$QD_SUFFIX" >"$TL_DIR/noou.ldif"
    qd_add "$TL_DIR/noou.ldif"
    rulesmith --uid=alice --debug
    tl_check "group without ou skipped (status $TL_RC)" test "$TL_RC" = 0
    tl_check "group without ou not listed" test "$(grep -c '^tag:noou' <<<"$TL_OUT")" = 0
    printf 'dn: cn=badmember,%s\nobjectClass: msgGroup\ncn: badmember\nou: edge.test\nmember: cn=nowhere,%s\n' \
        "$groups_dn" "$QD_SUFFIX" >"$TL_DIR/badmember.ldif"
    qd_add "$TL_DIR/badmember.ldif"
    rulesmith --uid=alice --debug
    tl_check "faulty member DN: status $TL_RC" test "$TL_RC" = 1
    tl_check "faulty member DN: message" test "$TL_ERR" = \
        "ERROR:256:rulesmith:MSG not found in dn: cn=nowhere,$QD_SUFFIX"$'\n'
    tl_check "faulty member DN: user table printed first" grep -qx 'uid:alice' <<<"$TL_OUT"
    tl_check "faulty member DN: no alias table" test "$(grep -c '^Alias table:' <<<"$TL_OUT")" = 0
}

member_without_user() {
    edge_fixture
    printf 'dn: cn=cyc-b,%s\nchangetype: modify\nadd: member\nmember: uid=ghost,%s\n' "$groups_dn" \
        "$users_dn" >"$TL_DIR/ghost.ldif"
    qd_modify "$TL_DIR/ghost.ldif"
    rulesmith --uid=alice
    tl_expect "member without user entry" 1 "" $'ERROR:256:rulesmith:can\'t find user entry for uid: ghost\n'
}

usage_and_user() {
    edge_fixture
    local usage=$'ERROR:1:usage:rulesmith\nOptionally specify a single user to rebuild, otherwise all users are rebuilt\n  --uid=uid\n  --debug - enable debugging output\n'
    rulesmith --bogus
    tl_expect "usage on stderr" 1 "" "$usage"
    rulesmith --uid
    tl_expect "--uid without =" 1 "" "$usage"
    rulesmith "--uid=$(printf 'u%.0s' $(seq 128))"
    tl_expect "uid too long" 1 "" $'ERROR:256:rulesmith:--uid length exceeds maximum value of 128\n'
    cp "$tool" "$TL_DIR/rulesmith"
    chmod 755 "$TL_DIR/rulesmith"
    tl_run timeout 60 setpriv --reuid=65534 --regid=65534 --clear-groups "$TL_DIR/rulesmith"
    tl_expect "not root" 1 "" $'ERROR:256:rulesmith:rulesmith: Must run as user root\n'
}

server_down() {
    edge_fixture
    qd_stop
    local port
    port=$(sed -n 's/^LDAPHOST:127.0.0.1://p' "$QUORELLE_MSG_CONF")
    rulesmith
    tl_expect "server down" 1 "" "ERROR:256:Bind failed (-1): Can't contact LDAP server (ldap://127.0.0.1:$port: connect failed)"$'\n'
}

# ---------------------------------------------------------------- files planted in a user directory
# (by whoever can write as cyrus)
planted_fifo() {
    edge_fixture
    rulesmith --uid=erin
    mkfifo "$TL_DIR/erin.fifo"
    chown cyrus "$TL_DIR/erin.fifo"
    mkfifo "$tree/e/erin/custom.script"
    chown cyrus "$tree/e/erin/custom.script"
    rulesmith --uid=erin
    tl_expect "custom.script a FIFO: not waited on" 0 "" ""
    tl_check "no user part copied from a FIFO" tl_not grep -q 'user supplied' "$tree/e/erin/msg.script"
    # a link to a FIFO elsewhere counts the same; the users after erin are rebuilt
    rm "$tree/e/erin/custom.script"
    ln -s "$TL_DIR/erin.fifo" "$tree/e/erin/custom.script"
    rulesmith
    tl_expect "custom.script a link to a FIFO" 0 "" ""
    tl_check "users after erin rebuilt" test -f "$tree/f/frank/msg.script" -a -f "$tree/q/Zed/msg.script"
}

planted_directory_link() {
    edge_fixture
    mkdir -p "$TL_DIR/outside"
    chown cyrus "$TL_DIR/outside"
    ln -s "$TL_DIR/outside" "$tree/e/erin"
    rulesmith
    tl_expect "user directory a link: refused" 1 "" \
        "ERROR:256:rulesmith:refusing user directory $tree/e/erin: a symbolic link"$'\n'
    tl_check "nothing written through the link" test -z "$(ls -A "$TL_DIR/outside")"
    tl_check "the link stays" test -L "$tree/e/erin"
    tl_check "the other users processed" test -f "$tree/d/dave/msg.script" -a -f "$tree/q/Zed/msg.script"
    rulesmith --uid=erin
    tl_expect "refused with --uid too" 1 "" \
        "ERROR:256:rulesmith:refusing user directory $tree/e/erin: a symbolic link"$'\n'
    # a user being disabled: nothing is removed through the link either
    touch "$TL_DIR/outside/msg.script"
    ln -s msg.script "$TL_DIR/outside/default"
    chown -h cyrus "$TL_DIR/outside/msg.script" "$TL_DIR/outside/default"
    rm -rf "$tree/f/frank"
    ln -s "$TL_DIR/outside" "$tree/f/frank"
    printf 'dn: uid=frank,%s\nchangetype: modify\nreplace: corvaneMsgSpamFilterEnabled\ncorvaneMsgSpamFilterEnabled: FALSE\n' \
        "$users_dn" >"$TL_DIR/frank-off.ldif"
    qd_modify "$TL_DIR/frank-off.ldif"
    rulesmith --uid=frank
    tl_expect "disabled user's directory a link: refused" 1 "" \
        "ERROR:256:rulesmith:refusing user directory $tree/f/frank: a symbolic link"$'\n'
    tl_check "nothing removed through the link" test -f "$TL_DIR/outside/msg.script" -a -L "$TL_DIR/outside/default"
}

planted_temp_file() {
    edge_fixture
    rulesmith --uid=erin
    # a link planted as the temporary file: removed, never written through
    printf 'keep me\n' >"$TL_DIR/victim"
    chown cyrus "$TL_DIR/victim"
    rm "$tree/e/erin/msg.script"
    ln -s "$TL_DIR/victim" "$tree/e/erin/msg.script.new"
    rulesmith --uid=erin
    tl_expect "temporary file a link" 0 "" ""
    tl_check "link target unchanged" test "$(cat "$TL_DIR/victim")" = "keep me"
    tl_check "script written" sieve_ok "$tree/e/erin/msg.script"
    tl_check "script is a plain file" test -f "$tree/e/erin/msg.script" -a ! -L "$tree/e/erin/msg.script"
    tl_check "no temporary file left" test ! -e "$tree/e/erin/msg.script.new" -a ! -L "$tree/e/erin/msg.script.new"
    # one that cannot be removed (a directory): the message names the temporary file
    rm "$tree/e/erin/msg.script"
    mkdir "$tree/e/erin/msg.script.new"
    chown cyrus "$tree/e/erin/msg.script.new"
    rulesmith --uid=erin
    tl_expect "temporary file a directory" 1 "" \
        "ERROR:256:rulesmith:cannot create $tree/e/erin/msg.script.new: File exists"$'\n'
}

tl_case "debug output" debug_output
tl_case "demo scripts" demo_scripts
tl_case "rebuild" rebuild
tl_case "edge scripts" edge_scripts
tl_case "debug tree" debug_tree
tl_case "--uid" one_uid
tl_case "custom script" custom_script
tl_case "disabling" disabling
tl_case "atomic replacement" atomic_replacement
tl_case "unsafe uids" unsafe_uids
tl_case "group faults" group_faults
tl_case "member without user entry" member_without_user
# ---------------------------------------------------------------- a deployed directory
# 1,200 users (more than the server's size limit of 500 for the anonymous bind of rulesmith)
# and 600 groups whose member DNs write the uid in upper case, read over a required StartTLS.
deployed_directory() {
    local certs="$TL_DIR/certs" big="$TL_DIR/big.ldif"
    mkdir -p "$certs"
    [ -s "$certs/ca.pem" ] || qd_make_certs "$certs"
    [ -s "$big" ] || awk -v S="$QD_SUFFIX" 'BEGIN {
        printf "dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: q\n\n", S
        d = "big.test"
        printf "dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\n\n", d, S, d
        printf "dn: ou=MSG Users,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Users\n\n", d, S
        printf "dn: ou=MSG Groups,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Groups\n\n", d, S
        for (i = 1; i <= 1200; i++)
            printf "dn: uid=u%d,ou=MSG Users,ou=%s,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\nuid: u%d\ncn: u\nsn: u\nou: %s\nmail: u%d@%s\ncorvaneMsgSpamFilterEnabled: TRUE\n\n", i, d, S, i, d, i, d
        for (i = 1; i <= 600; i++)
            printf "dn: cn=g%d,ou=MSG Groups,ou=%s,%s\nobjectClass: msgGroup\ncn: g%d\nou: %s\nmember: uid=U%d,ou=MSG Users,ou=%s,%s\n\n", i, d, S, i, d, i + 600, d, S
    }' >"$big"
    QD_SIZE_LIMIT="size.soft=500 size.hard=500 size.prtotal=unlimited" QD_SECURITY=ssf=1 \
        QD_TLS_CERT="$certs/server.pem" QD_TLS_KEY="$certs/server.key" QD_LDAPS=1 \
        QD_CONF_EXTRA=$'LDAPSTARTTLS:yes\nLDAPCACERT:'"$certs/ca.pem" qd_use "$TL_DIR" "$big"
    rm -rf "$tree"
    make_tree "$tree"
    rulesmith
    tl_expect "deployed directory" 0 "" ""
    tl_check "a script for every user" test "$(find "$tree" -name msg.script | wc -l)" = 1200
    tl_check "member uid=U700 is the user u700" \
        grep -q '^if header :contains "to" "g100" {$' "$tree/u/u700/msg.script"
    tl_check "u1 is in no group" tl_not grep -q '"g1"' "$tree/u/u1/msg.script"
    # The same over ldaps://, every search paged.
    rm -rf "$tree"
    make_tree "$tree"
    printf 'LDAPURI:%s\nLDAPCACERT:%s\nLDAPPAGING:always\nADMINDN:%s\nLDAPSUFFIX:%s\n' "$QD_LDAPS_URI" \
        "$certs/ca.pem" "$QD_ADMIN" "$QD_SUFFIX" >"$TL_DIR/ldaps.conf"
    QUORELLE_MSG_CONF="$TL_DIR/ldaps.conf" rulesmith
    tl_expect "deployed directory over ldaps" 0 "" ""
    tl_check "ldaps: a script for every user" test "$(find "$tree" -name msg.script | wc -l)" = 1200
    tl_check "ldaps: member uid=U700 is the user u700" \
        grep -q '^if header :contains "to" "g100" {$' "$tree/u/u700/msg.script"
}

tl_case "usage and user" usage_and_user
tl_case "server down" server_down
tl_case "custom.script a FIFO" planted_fifo
tl_case "user directory a link" planted_directory_link
tl_case "temporary script planted" planted_temp_file
tl_case "deployed directory" deployed_directory
tl_done
