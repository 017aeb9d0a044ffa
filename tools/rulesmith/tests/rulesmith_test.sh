#!/usr/bin/env bash
# rulesmith against a real directory and a Sieve tree: paths, file states and modes, the
# script text, debug output, --uid, fatal errors, and the mended faults (group cycles, uids
# that are no file names, atomic replacement of the script).
# Usage: rulesmith_test.sh PATH/TO/rulesmith
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
source "$here/sieve_tree.sh"
tool=$1
demo="$here/../../../examples/directory/demo.ldif"
tl_setup
tree="$TL_DIR/sieve"
export QUORELLE_SIEVE_DIR="$tree"
export QUORELLE_MSG_CONF="$TL_DIR/msg.conf"
users_dn="ou=MSG Users,ou=edge.test,$QD_SUFFIX"
groups_dn="ou=MSG Groups,ou=edge.test,$QD_SUFFIX"

is_cyrus() { [ "$(stat -c %U "$1")" = cyrus ]; }
mode_is() { [ "$(stat -c %a "$1")" = "$2" ]; }
same_text() { [ "$(cat "$1"; printf x)" = "$2x" ]; }

# ---------------------------------------------------------------- demo directory, debug output
qd_start "$TL_DIR" "$demo"
make_tree "$tree"
tl_run "$tool" --debug
debug_expected=$'
User table:

uid:7dwarfs
domain:example.org
vacationenabled:FALSE
spamfilterenabled:TRUE
spamdestroyenabled:FALSE

uid:Carol
domain:example.com
vacationenabled:TRUE
spamfilterenabled:FALSE
spamdestroyenabled:FALSE

uid:alice
domain:example.com
vacationenabled:TRUE
vacationsubject:Out of office
vacationmessage:Away
Back Monday
spamfilterenabled:TRUE
spamdestroyenabled:FALSE
spamallowed:boss@example.net
spamallowed:newsletter@example.org

uid:bob
domain:example.com
vacationenabled:FALSE
spamfilterenabled:TRUE
spamdestroyenabled:TRUE


Alias table:

tag:all@example.com
name:all
domain:example.com
umember:Carol
amember:staff@example.com

tag:everyone@example.com
name:everyone
domain:example.com
amember:all@example.com

tag:friends@example.org
name:friends
domain:example.org
umember:7dwarfs
amember:staff@example.com

tag:staff@example.com
name:staff
domain:example.com
umember:alice
umember:bob


User alias tree:

uid:7dwarfs
domain:example.org
alias:level 1:friends@example.org

uid:Carol
domain:example.com
alias:level 1:all@example.com
alias:level 2:everyone@example.com

uid:alice
domain:example.com
alias:level 1:staff@example.com
alias:level 2:all@example.com
alias:level 3:everyone@example.com
alias:level 2:friends@example.org

uid:bob
domain:example.com
alias:level 1:staff@example.com
alias:level 2:all@example.com
alias:level 3:everyone@example.com
alias:level 2:friends@example.org

Enabling filters for user: 7dwarfs
Enabling filters for user: Carol
Enabling filters for user: alice
Enabling filters for user: bob
'
tl_expect "debug output" 0 "$debug_expected" ""

alice_expected=$'require ["vacation", "fileinto", "reject", "envelope"];

vacation
\t:days 1
\t:addresses ["alice@example.com"]
\t:subject "Out of office"
text:
This is an automated reply:
This person is temporarily out of the office
and has left the following note:

Away
Back Monday
.
;

if header :contains "from" "boss@example.net" {
\tkeep;
\tstop;
}

if header :contains "from" "newsletter@example.org" {
\tkeep;
\tstop;
}

if header :contains "to" "alice" {
\tkeep;
\tstop;
}
if header :contains "from" "alice" {
\tkeep;
\tstop;
}
'
for g in staff all everyone friends; do
    alice_expected+="if header :contains \"to\" \"$g\" {"$'\n\tkeep;\n\tstop;\n}\n'
    alice_expected+="if header :contains \"cc\" \"$g\" {"$'\n\tkeep;\n\tstop;\n}\n\n'
done
alice_expected+=$'fileinto "inbox.spam";\ndiscard;\n'
tl_check "alice script text" same_text "$tree/a/alice/msg.script" "$alice_expected"
tl_check "Carol lies below q/" test -f "$tree/q/Carol/msg.script"
tl_check "7dwarfs lies below q/" test -f "$tree/q/7dwarfs/msg.script"
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

# Without --debug nothing is printed; a second run gives the same scripts.
cp "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
inode=$(stat -c %i "$tree/a/alice/msg.script")
tl_run "$tool"
tl_expect "quiet run" 0 "" ""
tl_check "rebuild is stable" cmp -s "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
tl_check "an unchanged script is left in place" test "$(stat -c %i "$tree/a/alice/msg.script")" = "$inode"
# A script that differs (here: one byte more, one byte less) is replaced.
printf '#' >>"$tree/a/alice/msg.script"
tl_run "$tool" --uid=alice
tl_check "longer script replaced" cmp -s "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
truncate -s -1 "$tree/a/alice/msg.script"
tl_run "$tool" --uid=alice
tl_check "shorter script replaced" cmp -s "$tree/a/alice/msg.script" "$TL_DIR/alice.before"
qd_stop

# ---------------------------------------------------------------- edge cases
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
} >"$TL_DIR/edge.ldif"
qd_start "$TL_DIR" "$demo" "$TL_DIR/edge.ldif"
rm -rf "$tree"
make_tree "$tree"

tl_run "$tool"
tl_expect "edge run" 0 "" ""
zed_expected=$'require ["vacation", "fileinto", "reject", "envelope"];

vacation
\t:days 1
\t:addresses ["zed@edge.test"]
\t:subject "Absence Notification"
text:
This is an automated reply:
This person is temporarily out of the office
.
;

'
tl_check "no subject, no note" same_text "$tree/q/Zed/msg.script" "$zed_expected"
lives_expected=$'require ["vacation", "fileinto", "reject", "envelope"];

if header :contains "to" "9lives" {
\tkeep;
\tstop;
}
if header :contains "from" "9lives" {
\tkeep;
\tstop;
}
discard;
'
tl_check "destroy mode" same_text "$tree/q/9lives/msg.script" "$lives_expected"
dave_expected=$'require ["vacation", "fileinto", "reject", "envelope"];

if header :contains "to" "dave" {
\tkeep;
\tstop;
}
if header :contains "from" "dave" {
\tkeep;
\tstop;
}
'
for g in cyc-a cyc-b; do
    dave_expected+="if header :contains \"to\" \"$g\" {"$'\n\tkeep;\n\tstop;\n}\n'
    dave_expected+="if header :contains \"cc\" \"$g\" {"$'\n\tkeep;\n\tstop;\n}\n\n'
done
dave_expected+=$'fileinto "inbox.spam";\ndiscard;\n'
tl_check "group cycle followed once" same_text "$tree/d/dave/msg.script" "$dave_expected"
tl_check "mail without @: local part is the whole value" \
    grep -q '^if header :contains "to" "frank" {$' "$tree/f/frank/msg.script"
for f in "$tree"/*/*/msg.script; do
    tl_check "$f compiles" sieve_ok "$f"
done
tl_check "escaped DNs resolve" test "$(grep -c '^if header :contains "[tc][oc]" "\(MSG-team, west\|outer\)" {$' "$tree/g/g+na/msg.script")" = 4

tl_run "$tool" --debug --uid=dave
tl_check "debug tree: dave" test "$(sed -n '/^User alias tree:$/,$p' <<<"$TL_OUT" | grep -A4 '^uid:dave$')" = \
    $'uid:dave\ndomain:edge.test\nalias:level 1:cyc-a@edge.test\nalias:level 2:cyc-b@edge.test'
tl_check "debug tree: frank in a self-member group" \
    test "$(sed -n '/^User alias tree:$/,$p' <<<"$TL_OUT" | grep -A3 '^uid:frank$')" = \
    $'uid:frank\ndomain:edge.test\nalias:level 1:self@edge.test'
tl_check "--uid prints one processing line" test "$(grep -c '^Enabling filters' <<<"$TL_OUT")" = 1

# --- --uid rebuilds one user only
rm -rf "$tree"
make_tree "$tree"
tl_run "$tool" --uid=erin
tl_expect "--uid=erin" 0 "" ""
tl_check "only erin written" test "$(find "$tree" -name msg.script)" = "$tree/e/erin/msg.script"
tl_run "$tool" --uid=nobody
tl_expect "unknown uid" 1 "" $'ERROR:256:rulesmith:can\'t find user entry for uid: nobody\n'
tl_run "$tool" --uid=Erin
tl_expect "uid lookup is exact" 1 "" $'ERROR:256:rulesmith:can\'t find user entry for uid: Erin\n'

# --- user-supplied script is copied between the markers
printf '# mine\nif header :contains "subject" "x" { keep; }\n' >"$tree/e/erin/custom.script"
chown cyrus "$tree/e/erin/custom.script"
tl_run "$tool" --uid=erin
tl_check "custom script copied" grep -qzF $'# user supplied script begins\n# mine\nif header :contains "subject" "x" { keep; }\n# user supplied script ends\n\n' "$tree/e/erin/msg.script"
tl_check "script with custom part compiles" sieve_ok "$tree/e/erin/msg.script"

# --- a link naming another script: the link stays, the generated script goes
ln -sfn custom.script "$tree/e/erin/default"
tl_run "$tool" --uid=erin --debug
tl_check "custom message" grep -qx 'User erin has a custom script' <<<"$TL_OUT"
tl_check "generated script removed" test ! -e "$tree/e/erin/msg.script"
tl_check "custom link kept" test "$(readlink "$tree/e/erin/default")" = custom.script
tl_check "custom script kept" test -f "$tree/e/erin/custom.script"

# --- disabling removes script, link and directory; other files keep the directory
tl_run "$tool" --uid=frank
tl_check "frank enabled" test -f "$tree/f/frank/msg.script"
printf 'dn: uid=frank,%s\nchangetype: modify\nreplace: corvaneMsgSpamFilterEnabled\ncorvaneMsgSpamFilterEnabled: FALSE\n' \
    "$users_dn" >"$TL_DIR/frank-off.ldif"
qd_modify "$TL_DIR/frank-off.ldif"
tl_run "$tool" --uid=frank --debug
tl_check "disabling message" grep -qx 'Disabling filters for user: frank' <<<"$TL_OUT"
tl_check "directory removed" test ! -e "$tree/f/frank"
tl_run "$tool" --uid=9lives
printf 'keep;\n' >"$tree/q/9lives/custom.script"
printf 'dn: uid=9lives,%s\nchangetype: modify\nreplace: corvaneMsgSpamFilterEnabled\ncorvaneMsgSpamFilterEnabled: FALSE\n' \
    "$users_dn" >"$TL_DIR/9-off.ldif"
qd_modify "$TL_DIR/9-off.ldif"
tl_run "$tool" --uid=9lives
tl_check "script and link removed" test ! -e "$tree/q/9lives/msg.script" -a ! -L "$tree/q/9lives/default"
tl_check "directory with custom.script stays" test -f "$tree/q/9lives/custom.script"

# --- the script is replaced atomically: a run killed while writing (file size limit) or a
# write that fails leaves the previous script whole
long_note=$(head -c 3000 /dev/zero | tr '\0' 'n')
printf 'dn: uid=erin,%s\nchangetype: modify\nreplace: corvaneMsgVacationMessage\ncorvaneMsgVacationMessage: %s\n' \
    "$users_dn" "$long_note" >"$TL_DIR/erin-note.ldif"
rm -f "$tree/e/erin/default" "$tree/e/erin/custom.script"
tl_run "$tool" --uid=erin
tl_check "first script written" sieve_ok "$tree/e/erin/msg.script"
cp "$tree/e/erin/msg.script" "$TL_DIR/erin.before"
qd_modify "$TL_DIR/erin-note.ldif"
tl_run bash -c 'ulimit -f 1; exec "$0" --uid=erin' "$tool"
tl_check "killed while writing (status $TL_RC)" test "$TL_RC" != 0
tl_check "old script intact after kill" cmp -s "$tree/e/erin/msg.script" "$TL_DIR/erin.before"
tl_run bash -c 'trap "" XFSZ; ulimit -f 1; exec "$0" --uid=erin' "$tool"
tl_expect "write failure" 1 "" \
    "ERROR:256:rulesmith:cannot write $tree/e/erin/msg.script: File too large"$'\n'
tl_check "old script intact after failed write" cmp -s "$tree/e/erin/msg.script" "$TL_DIR/erin.before"
tl_check "temporary file removed" test ! -e "$tree/e/erin/msg.script.new"
tl_run "$tool" --uid=erin
tl_check "next run writes the new note" grep -q "^$long_note\$" "$tree/e/erin/msg.script"

# --- uids that are no single file name are refused; nothing outside the tree is touched
rm -rf "$tree"
make_tree "$tree"
{
    ldif_user .. edge.test "mail: dots@edge.test" "corvaneMsgSpamFilterEnabled: TRUE"
    ldif_user . edge.test "mail: dot@edge.test" "corvaneMsgSpamFilterEnabled: TRUE"
    ldif_user a/b edge.test "mail: ab@edge.test" "corvaneMsgSpamFilterEnabled: TRUE"
} >"$TL_DIR/bad.ldif"
qd_add "$TL_DIR/bad.ldif"
tl_run "$tool"
tl_expect "unsafe uids refused" 1 "" $'ERROR:256:rulesmith:refusing uid .: not usable as a directory name
ERROR:256:rulesmith:refusing uid ..: not usable as a directory name
ERROR:256:rulesmith:refusing uid a/b: not usable as a directory name\n'
tl_check "other users processed" test -f "$tree/a/alice/msg.script" -a -f "$tree/d/dave/msg.script"
tl_check "nothing written in the tree root or a letter directory" \
    test -z "$(find "$tree" -maxdepth 2 \( -type f -o -type l \))"
tl_check "no a/a directory" test ! -e "$tree/a/a"
tl_run "$tool" --uid=..
tl_expect "unsafe uid with --uid" 1 "" $'ERROR:256:rulesmith:refusing uid ..: not usable as a directory name\n'

# --- faults in group entries: the users are read while the group search is already running;
# the user table still comes first, a group without ou is skipped before its members are
# looked at, a faulty member DN ends the run after the user table
printf 'dn: cn=noou,%s\nobjectClass: msgGroup\ncn: noou\nmember: cn=nowhere,%s\n' "$groups_dn" \
    "$QD_SUFFIX" >"$TL_DIR/noou.ldif"
qd_add "$TL_DIR/noou.ldif"
tl_run "$tool" --uid=alice --debug
tl_check "group without ou skipped (status $TL_RC)" test "$TL_RC" = 0
tl_check "group without ou not listed" test "$(grep -c '^tag:noou' <<<"$TL_OUT")" = 0
printf 'dn: cn=badmember,%s\nobjectClass: msgGroup\ncn: badmember\nou: edge.test\nmember: cn=nowhere,%s\n' \
    "$groups_dn" "$QD_SUFFIX" >"$TL_DIR/badmember.ldif"
qd_add "$TL_DIR/badmember.ldif"
tl_run "$tool" --uid=alice --debug
tl_check "faulty member DN: status $TL_RC" test "$TL_RC" = 1
tl_check "faulty member DN: message" test "$TL_ERR" = \
    "ERROR:256:rulesmith:MSG not found in dn: cn=nowhere,$QD_SUFFIX"$'\n'
tl_check "faulty member DN: user table printed first" grep -qx 'uid:alice' <<<"$TL_OUT"
tl_check "faulty member DN: no alias table" test "$(grep -c '^Alias table:' <<<"$TL_OUT")" = 0
printf 'dn: cn=badmember,%s\nchangetype: delete\n\ndn: cn=noou,%s\nchangetype: delete\n' \
    "$groups_dn" "$groups_dn" >"$TL_DIR/bad-del.ldif"
qd_modify "$TL_DIR/bad-del.ldif"

# --- fatal errors of the group compile
printf 'dn: cn=cyc-b,%s\nchangetype: modify\nadd: member\nmember: uid=ghost,%s\n' "$groups_dn" \
    "$users_dn" >"$TL_DIR/ghost.ldif"
qd_modify "$TL_DIR/ghost.ldif"
tl_run "$tool" --uid=alice
tl_expect "member without user entry" 1 "" $'ERROR:256:rulesmith:can\'t find user entry for uid: ghost\n'

# --- usage, arguments, user
usage=$'ERROR:1:usage:rulesmith\nOptionally specify a single user to rebuild, otherwise all users are rebuilt\n  --uid=uid\n  --debug - enable debugging output\n'
tl_run "$tool" --bogus
tl_expect "usage on stderr" 1 "" "$usage"
tl_run "$tool" --uid
tl_expect "--uid without =" 1 "" "$usage"
tl_run "$tool" "--uid=$(printf 'u%.0s' $(seq 128))"
tl_expect "uid too long" 1 "" $'ERROR:256:rulesmith:--uid length exceeds maximum value of 128\n'
cp "$tool" "$TL_DIR/rulesmith"
chmod 755 "$TL_DIR/rulesmith"
tl_run setpriv --reuid=65534 --regid=65534 --clear-groups "$TL_DIR/rulesmith"
tl_expect "not root" 1 "" $'ERROR:256:rulesmith:rulesmith: Must run as user root\n'
qd_stop
tl_run "$tool"
tl_expect "server down" 1 "" $'ERROR:256:Bind failed (-1): Can\'t contact LDAP server\n'

tl_done
