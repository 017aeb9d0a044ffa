#!/usr/bin/env bash
# zonetally against a real directory: counts, blocks, order, missing domains, no domains.
# Usage: [TL_CASE=NAME] zonetally_test.sh PATH/TO/zonetally
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
tool=$1
demo="$here/../../../examples/directory/demo.ldif"
tl_setup
export QUORELLE_MSG_CONF="$TL_DIR/msg.conf"

# Extra data: a domain without containers, and a domain with more users than the server's
# default size limit of 500, each also a member of a few groups.
extra="$TL_DIR/extra.ldif"
{
    printf 'dn: ou=bare.test,%s\nobjectClass: organizationalUnit\nou: bare.test\n\n' "$QD_SUFFIX"
    printf 'dn: ou=big.test,%s\nobjectClass: organizationalUnit\nou: big.test\n\n' "$QD_SUFFIX"
    for c in "MSG Users" "MSG Groups"; do
        printf 'dn: ou=%s,ou=big.test,%s\nobjectClass: organizationalUnit\nou: %s\n\n' \
            "$c" "$QD_SUFFIX" "$c"
    done
    for i in $(seq 1 1234); do
        printf 'dn: uid=u%d,ou=MSG Users,ou=big.test,%s\nobjectClass: inetOrgPerson\n' "$i" "$QD_SUFFIX"
        printf 'objectClass: msgUser\nuid: u%d\ncn: u\nsn: u\nou: big.test\n\n' "$i"
    done
    for i in $(seq 1 7); do
        printf 'dn: cn=g%d,ou=MSG Groups,ou=big.test,%s\nobjectClass: msgGroup\ncn: g%d\n' \
            "$i" "$QD_SUFFIX" "$i"
        printf 'ou: big.test\n\n'
    done
    # Not counted: an entry of another class in the user container.
    printf 'dn: cn=stray,ou=MSG Users,ou=big.test,%s\nobjectClass: organizationalRole\ncn: stray\n\n' \
        "$QD_SUFFIX"
} >"$extra"
# An empty directory: the suffix entry only.
printf 'dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: q\n' \
    "$QD_SUFFIX" >"$TL_DIR/bare.ldif"

block_com=$'domain:example.com\ndescription:Example Corporation\nnusers:3\nnaliases:3\n\n'
block_org=$'domain:example.org\nnusers:1\nnaliases:1\n\n'
block_empty=$'domain:empty.test\ndescription:Nobody here yet\nnusers:0\nnaliases:0\n\n'
block_bare=$'domain:bare.test\nnusers:0\nnaliases:0\n\n'
block_big=$'domain:big.test\nnusers:1234\nnaliases:7\n\n'

domains_in_order() {
    qd_use "$TL_DIR" "$demo" "$extra"
    # two domains in the order given; no description line without a description
    tl_run "$tool" --domain=example.org --domain=example.com
    tl_expect "two domains in order" 0 "$block_org$block_com" ""
    tl_run "$tool" --domain=example.com --domain=example.org --domain=example.com
    tl_expect "repeated domain" 0 "$block_com$block_org$block_com" ""
}

empty_and_big_domains() {
    qd_use "$TL_DIR" "$demo" "$extra"
    # containers present / absent, a domain past the server's size limit
    tl_run "$tool" --domain=empty.test --domain=bare.test --domain=big.test
    tl_expect "empty and big domains" 0 "$block_empty$block_bare$block_big" ""
}

all_domains() {
    qd_use "$TL_DIR" "$demo" "$extra"
    # in the order the server returns them; --all changes nothing
    local expected="" ou
    while IFS= read -r ou; do
        case $ou in
        example.com) expected+=$block_com ;;
        example.org) expected+=$block_org ;;
        empty.test) expected+=$block_empty ;;
        bare.test) expected+=$block_bare ;;
        big.test) expected+=$block_big ;;
        *) expected+="unexpected domain $ou" ;;
        esac
    done < <(ldapsearch -x -LLL -o ldif-wrap=no -H "$QD_URI" -b "$QD_SUFFIX" -s one \
        '(objectclass=organizationalunit)' ou | sed -n 's/^ou: //p')
    tl_check "five domains listed" test "$(grep -c '^domain:' <<<"$expected")" = 5
    tl_run "$tool"
    tl_expect "all domains" 0 "$expected" ""
    tl_run "$tool" --all
    tl_expect "--all" 0 "$expected" ""
    tl_run "$tool" --all --domain=example.org
    tl_expect "--all with --domain" 0 "$block_org" ""
}

missing_domain() {
    qd_use "$TL_DIR" "$demo" "$extra"
    # earlier blocks stay, then the fixed line and status 1
    tl_run "$tool" --domain=example.org --domain=nowhere.test --domain=example.com
    tl_expect "missing domain" 1 "$block_org" $'ERROR:256:--domain=nowhere.test does not exist\n'
    # A domain is an entry one level below the suffix, not a container further down.
    tl_run "$tool" "--domain=MSG Users"
    tl_expect "container is no domain" 1 "" $'ERROR:256:--domain=MSG Users does not exist\n'
}

usage() {
    qd_use "$TL_DIR" "$demo" "$extra"
    tl_run "$tool" --domain=example.org extra
    tl_expect "stray argument" 1 $'ERROR:1:usage:zonetally [--domain=value]\n' ""
    tl_run "$tool" -h
    tl_expect "-h" 1 $'ERROR:1:usage:zonetally [--domain=value]\n' ""
}

no_domains() {
    qd_use "$TL_DIR" "$TL_DIR/bare.ldif"
    tl_run "$tool"
    tl_expect "no domains" 1 "" $'ERROR:256:zonetally:No domains found\n'
    tl_run "$tool" --domain=example.com
    tl_expect "named domain in empty directory" 1 "" $'ERROR:256:--domain=example.com does not exist\n'
}

tl_case "domains in order" domains_in_order
tl_case "empty and big domains" empty_and_big_domains
# A domain whose name needs escaping in a DN (ou=x\,y) and whose description holds a line
# break: listed with the others, its containers found, the break escaped so that it cannot
# forge a line.
contains() { [[ $1 == *"$2"* ]]; }

hostile_domain() {
    local ldif="$TL_DIR/hostile.ldif"
    cat >"$ldif" <<LDIF
dn: ou=x\\,y,$QD_SUFFIX
objectClass: organizationalUnit
ou: x,y
description:: $(printf 'first line\nnusers:999' | base64 -w0)

dn: ou=MSG Users,ou=x\\,y,$QD_SUFFIX
objectClass: organizationalUnit
ou: MSG Users

dn: uid=xavier,ou=MSG Users,ou=x\\,y,$QD_SUFFIX
objectClass: inetOrgPerson
objectClass: msgUser
uid: xavier
cn: x
sn: x
ou: x,y
LDIF
    qd_use "$TL_DIR" "$demo" "$ldif"
    local block=$'domain:x,y\ndescription:first line\\\nnusers:999\nnusers:1\nnaliases:0\n\n'
    tl_run "$tool"
    tl_check "every domain listed (status $TL_RC)" test "$TL_RC" = 0
    tl_check "the escaped domain counted, its line break escaped" contains "$TL_OUT" "$block"
    tl_check "four domains" test "$(grep -c '^domain:' <<<"$TL_OUT")" = 4
    tl_run "$tool" --domain=x,y
    tl_expect "--domain=x,y" 0 "$block" ""
}

tl_case "all domains" all_domains
tl_case "hostile domain" hostile_domain
tl_case "missing domain" missing_domain
tl_case "usage" usage
tl_case "no domains" no_domains
tl_done
