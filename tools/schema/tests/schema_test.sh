#!/usr/bin/env bash
# The product schema: both forms agree, the schema form loads, and the server enforces the
# syntaxes the tools rely on (booleans TRUE/FALSE, single and multiple values).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
schema="$here/.."
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
tl_setup

# --- the cn=config form is the schema form converted
forms_agree() {
{
    sed -n '1,2p' "$schema/quorelle.ldif"
    bash "$schema/schema2ldif.sh" quorelle "$schema/quorelle.schema"
} >"$TL_DIR/regen.ldif"
tl_same_file "quorelle.ldif matches quorelle.schema" "$schema/quorelle.ldif" "$TL_DIR/regen.ldif"
}

# --- the schema form loads with slaptest
schema_loads() {
cat >"$TL_DIR/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
include $schema/quorelle.schema
CONF
tl_run slaptest -u -f "$TL_DIR/slapd.conf"
tl_expect "slaptest accepts quorelle.schema" 0 - -
}

# --- the server enforces the attribute definitions
server_enforces() {
qd_use "$TL_DIR" "$here/../../../examples/directory/demo.ldif"
user() {
    printf 'dn: uid=%s,ou=MSG Users,ou=example.org,%s\nobjectClass: inetOrgPerson\n' "$1" "$QD_SUFFIX"
    printf 'objectClass: msgUser\nuid: %s\ncn: x\nsn: x\n' "$1"
    shift
    printf '%s\n' "$@"
}
add() {
    user "$@" >"$TL_DIR/add.ldif"
    ldapadd -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -f "$TL_DIR/add.ldif" >/dev/null 2>&1
}
tl_check "boolean TRUE accepted" add ok1 "corvaneMsgVacationEnabled: TRUE" \
    "corvaneMsgSpamFilterEnabled: FALSE" "corvaneMsgSpamDestroyEnabled: TRUE"
tl_check "boolean 'yes' refused" tl_not add bad1 "corvaneMsgVacationEnabled: yes"
tl_check "boolean 'true' refused" tl_not add bad2 "corvaneMsgSpamFilterEnabled: true"
tl_check "several allowed senders and addresses" add ok2 "corvaneMsgSpamAllowed: a@x" \
    "corvaneMsgSpamAllowed: b@x" "corvaneMsgAlternateAddress: c@x" "corvaneMsgAlternateAddress: d@x"
tl_check "one vacation subject only" tl_not add bad3 "corvaneMsgVacationSubject: a" \
    "corvaneMsgVacationSubject: b"
tl_check "multi-line vacation note" add ok3 "corvaneMsgVacationMessage:: $(printf 'Away\n.\nBack' | base64 -w0)"
tl_check "msgUser needs uid" tl_not ldapadd -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -f <(
    printf 'dn: cn=nouid,ou=MSG Users,ou=example.org,%s\nobjectClass: inetOrgPerson\n' "$QD_SUFFIX"
    printf 'objectClass: msgUser\ncn: nouid\nsn: x\n'
) >/dev/null 2>&1
tl_check "group with every group attribute" ldapadd -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -f <(
    printf 'dn: cn=g,ou=MSG Groups,ou=example.org,%s\nobjectClass: msgGroup\ncn: g\nou: example.org\n' "$QD_SUFFIX"
    printf 'mail: g@example.org\ndescription: d\ncorvaneMsgMgrpJoinable: TRUE\n'
    printf 'owner: uid=ok1,ou=MSG Users,ou=example.org,%s\n' "$QD_SUFFIX"
    printf 'member: uid=ok1,ou=MSG Users,ou=example.org,%s\n' "$QD_SUFFIX"
    printf 'member: cn=friends,ou=MSG Groups,ou=example.org,%s\n' "$QD_SUFFIX"
    printf 'corvaneMsgMgrpRFC822Member: r1@x\ncorvaneMsgMgrpRFC822Member: r2@x\n'
    printf 'corvaneMsgMgrpDeliveryFile: /a\ncorvaneMsgMgrpDeliveryFile: /b\n'
    printf 'corvaneMsgMgrpDeliveryProgram: |/p1\ncorvaneMsgMgrpDeliveryProgram: |/p2\n'
) >/dev/null
tl_check "group without members" ldapadd -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -f <(
    printf 'dn: cn=lonely,ou=MSG Groups,ou=example.org,%s\nobjectClass: msgGroup\ncn: lonely\n' "$QD_SUFFIX"
) >/dev/null
}

tl_case "both forms agree" forms_agree
tl_case "slaptest loads the schema" schema_loads
tl_case "the server enforces the attribute definitions" server_enforces
tl_done
