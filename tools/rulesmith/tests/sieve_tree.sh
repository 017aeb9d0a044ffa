#!/usr/bin/env bash
# Shared set-up of the rulesmith tests: root, the cyrus user, a Sieve tree laid out as a mail
# server installation does (one-letter directories owned by cyrus). Source after testlib.sh,
# before tl_setup.

# rulesmith must run as root: elsewhere the tests are skipped (CTest SKIP_RETURN_CODE 77).
if [ "$(id -u)" != 0 ]; then
    echo "SKIP: the rulesmith tests need root"
    exit 77
fi
# The files are written as cyrus: a user of that name that only the test sees, unless the
# host has one (the test runs again in a private mount namespace; see tl_private_user).
tl_private_user cyrus "$0" "$@"

# make_tree DIR: DIR/a ... DIR/z owned by cyrus.
make_tree() {
    local l
    mkdir -p "$1"
    chmod 755 "$1"
    for l in a b c d e f g h i j k l m n o p q r s t u v w x y z; do
        mkdir -p "$1/$l"
    done
    chown -R cyrus "$1"
}

# sieve_ok FILE: Pigeonhole's compiler accepts the script.
SIEVE_EMPTY_CONF=""
sieve_ok() {
    if [ -z "$SIEVE_EMPTY_CONF" ]; then
        SIEVE_EMPTY_CONF="$TL_DIR/sievec-empty.conf"
        : >"$SIEVE_EMPTY_CONF"
    fi
    if ! sievec -c "$SIEVE_EMPTY_CONF" "$1" "$TL_DIR/out.svbin" 2>"$TL_DIR/sievec.err"; then
        sed 's/^/    sievec: /' "$TL_DIR/sievec.err" >&2
        return 1
    fi
}

# ldif_user UID DOMAIN [ATTRIBUTE-LINE...]: an msgUser entry of DOMAIN.
ldif_user() {
    local uid=$1 domain=$2
    shift 2
    printf 'dn: uid=%s,ou=MSG Users,ou=%s,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\n' \
        "$uid" "$domain" "$QD_SUFFIX"
    printf 'uid: %s\ncn: %s\nsn: %s\nou: %s\n' "$uid" "$uid" "$uid" "$domain"
    [ $# -gt 0 ] && printf '%s\n' "$@"
    printf '\n'
}

# ldif_group CN DOMAIN [member-line...]: an msgGroup entry of DOMAIN.
ldif_group() {
    local cn=$1 domain=$2
    shift 2
    printf 'dn: cn=%s,ou=MSG Groups,ou=%s,%s\nobjectClass: msgGroup\ncn: %s\nou: %s\n' \
        "$cn" "$domain" "$QD_SUFFIX" "$cn" "$domain"
    [ $# -gt 0 ] && printf '%s\n' "$@"
    printf '\n'
}

# ldif_domain DOMAIN: the domain entry and its two containers.
ldif_domain() {
    printf 'dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\n\n' "$1" "$QD_SUFFIX" "$1"
    printf 'dn: ou=MSG Users,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Users\n\n' "$1" "$QD_SUFFIX"
    printf 'dn: ou=MSG Groups,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Groups\n\n' "$1" "$QD_SUFFIX"
}
