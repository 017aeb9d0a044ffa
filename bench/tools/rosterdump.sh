#!/usr/bin/env bash
# rosterdump --domain=D (every item) over a domain of 100,000 users, against ldapsearch -LLL
# asking the same base, filter and attributes of the same server in the same run. Prints the
# ratio and rosterdump's peak memory for the whole domain and for a tenth of it (flat: the
# entries are printed as they arrive).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
source "$repo/tools/testing/slapd.sh"

USERS=${USERS:-100000}
ROUNDS=${ROUNDS:-3}

bench_build rosterdump
tool="$BENCH_BUILD/tools/rosterdump/rosterdump"

work=$(mktemp -d /tmp/bench-rosterdump-XXXXXX)
trap 'qd_stop; rm -rf "$work"' EXIT

# Two domains: big.test with USERS users, small.test with a tenth of them; every user with
# every item (two alternate addresses, two allowed senders, a two-line vacation message).
awk -v suffix="$QD_SUFFIX" -v nu="$USERS" 'BEGIN {
    printf "dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: bench\n\n", suffix
    printf "dn: cn=reader,%s\nobjectClass: organizationalRole\nobjectClass: simpleSecurityObject\n", suffix
    printf "cn: reader\nuserPassword: readerpw\n\n"
    split("big.test small.test", doms, " ")
    counts[1] = nu; counts[2] = int(nu / 10)
    for (d = 1; d <= 2; d++) {
        dom = doms[d]
        printf "dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\n\n", dom, suffix, dom
        printf "dn: ou=MSG Users,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Users\n\n", dom, suffix
        for (u = 1; u <= counts[d]; u++) {
            uid = sprintf("user%d", u)
            printf "dn: uid=%s,ou=MSG Users,ou=%s,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\n", uid, dom, suffix
            printf "uid: %s\nou: %s\ngivenName: Given%d\nsn: Surname%d\ncn: Given%d Surname%d\n", uid, dom, u, u, u, u
            printf "mail: %s@%s\ncorvaneMsgAlternateAddress: a.%s@%s\ncorvaneMsgAlternateAddress: b.%s@%s\n", uid, dom, uid, dom, uid, dom
            printf "corvaneMsgForwardingAddress: %s@elsewhere.test\n", uid
            printf "homePhone: +1 555 %07d\ntelephoneNumber: +1 556 %07d\n", u, u
            printf "facsimileTelephoneNumber: +1 557 %07d\npager: +1 558 %07d\nmobile: +1 559 %07d\n", u, u, u
            printf "title: Engineer\nphysicalDeliveryOfficeName: Building %d\n", u % 50
            printf "corvaneMsgVacationEnabled: %s\ncorvaneMsgVacationSubject: Away until Monday\n", (u % 4 == 0) ? "TRUE" : "FALSE"
            printf "corvaneMsgVacationMessage:: QXdheQpCYWNrIE1vbmRheQ==\n"
            printf "corvaneMsgSpamFilterEnabled: TRUE\ncorvaneMsgSpamDestroyEnabled: FALSE\n"
            printf "corvaneMsgSpamAllowed: boss@%s\ncorvaneMsgSpamAllowed: news@example.org\n\n", dom
        }
    }
}' >"$work/data.ldif"
echo "loading $((USERS + USERS / 10 + 5)) entries..."
# A size limit of 500 for ordinary users (the administrator, the server's root DN, has none):
# the reader's searches are cut short and read again in pages.
QD_SIZE_LIMIT="size.soft=500 size.hard=500 size.prtotal=unlimited" qd_start "$work" "$work/data.ldif"
export QUORELLE_MSG_CONF="$work/msg.conf"
reader="$work/reader.conf"
sed -e "s/^ADMINDN:.*/ADMINDN:cn=reader,$QD_SUFFIX/" -e 's/^ADMINPW:.*/ADMINPW:readerpw/' \
    "$QUORELLE_MSG_CONF" >"$reader"
cp "$reader" "$work/reader-always.conf"
echo LDAPPAGING:always >>"$work/reader-always.conf"

attrs=(dn uid ou givenName sn cn mail corvaneMsgAlternateAddress corvaneMsgForwardingAddress
    homePhone telephoneNumber facsimileTelephoneNumber pager mobile title
    physicalDeliveryOfficeName corvaneMsgVacationEnabled corvaneMsgVacationSubject
    corvaneMsgVacationMessage corvaneMsgSpamFilterEnabled corvaneMsgSpamDestroyEnabled
    corvaneMsgSpamAllowed)
# ldapsearch_same DOMAIN [ARGS]: ARGS are added (-E pr=N/noprompt: paged).
ldapsearch_same() {
    local dom=$1
    shift
    ldapsearch -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -LLL "$@" \
        -b "ou=MSG Users,ou=$dom,$QD_SUFFIX" -s sub '(objectclass=msgUser)' "${attrs[@]}"
}

# Check the result once (and warm the server's caches).
"$tool" --domain=big.test >"$work/out"
n=$(grep -c '^uid:' "$work/out")
[ "$n" = "$USERS" ] || { echo "rosterdump listed $n users, not $USERS" >&2; exit 1; }
[ "$(grep -c '^alternatemail:' "$work/out")" = $((2 * USERS)) ] || { echo "bad output" >&2; exit 1; }
ldapsearch_same big.test >/dev/null

unpaged=$(bench_conf "$work" unpaged LDAPPAGESIZE:0)
always=$(bench_conf "$work" always LDAPPAGING:always)
t_tool=() t_ls=() t_unpaged=() t_always=() t_reader=() t_reader_always=() t_ls_paged=()
load0=$(bench_load)
for r in $(seq 1 "$ROUNDS"); do
    t_tool+=("$(bench_time "$tool" --domain=big.test)")
    t_unpaged+=("$(QUORELLE_MSG_CONF=$unpaged bench_time "$tool" --domain=big.test)")
    t_always+=("$(QUORELLE_MSG_CONF=$always bench_time "$tool" --domain=big.test)")
    t_reader+=("$(QUORELLE_MSG_CONF=$reader bench_time "$tool" --domain=big.test)")
    t_reader_always+=("$(QUORELLE_MSG_CONF=$work/reader-always.conf bench_time "$tool" --domain=big.test)")
    t_ls+=("$(bench_time ldapsearch_same big.test)")
    t_ls_paged+=("$(bench_time ldapsearch_same big.test -E "pr=$BENCH_PAGE/noprompt")")
done
load1=$(bench_load)
tlp=$(median "${t_ls_paged[@]}")
tt=$(median "${t_tool[@]}")
tu=$(median "${t_unpaged[@]}")
ta=$(median "${t_always[@]}")
tr=$(median "${t_reader[@]}")
tra=$(median "${t_reader_always[@]}")
tl=$(median "${t_ls[@]}")

/usr/bin/time -f '%M' -o "$work/mem.big" "$tool" --domain=big.test >/dev/null
/usr/bin/time -f '%M' -o "$work/mem.small" "$tool" --domain=small.test >/dev/null
/usr/bin/time -f '%M' -o "$work/mem.ls" bash -c "$(declare -f ldapsearch_same); $(declare -p attrs QD_URI QD_ADMIN QD_PASSWORD QD_SUFFIX); ldapsearch_same big.test >/dev/null"
mem_big=$(tail -1 "$work/mem.big")
mem_small=$(tail -1 "$work/mem.small")
mem_ls=$(tail -1 "$work/mem.ls")

printf 'rosterdump, %d users, every item, median of %d rounds\n' "$USERS" "$ROUNDS"
printf '  rosterdump:            %8.3f s\n' "$tt"
printf '  ldapsearch -LLL, same: %8.3f s\n' "$tl"
printf '  rosterdump, not paged: %8.3f s\n' "$tu"
printf '  server indexes: %s; load %s before the rounds, %s after\n' "$(bench_indexes "$work")" \
    "$load0" "$load1"
printf 'ratio rosterdump / ldapsearch: %.3f (limit 1.1)\n' "$(calc "$tt / $tl")"
printf 'ratio default (paging when cut short) / not paged: %.3f (limit 1.05)\n' "$(calc "$tt / $tu")"
printf 'every search paged (LDAPPAGING:always): %.3f s, ratio / not paged: %.3f\n' "$ta" "$(calc "$ta / $tu")"
printf 'an ordinary user under a size limit of 500: %.3f s (cut short, then read in pages), ratio / not paged: %.3f\n' \
    "$tr" "$(calc "$tr / $tu")"
printf '  every search paged: %.3f s, ratio / not paged: %.3f\n' "$tra" "$(calc "$tra / $tu")"
printf 'peak memory (maximum resident set): %.1f MB for %d users, %.1f MB for %d (ldapsearch %.1f MB)\n' \
    "$(calc "$mem_big / 1024")" "$USERS" "$(calc "$mem_small / 1024")" "$((USERS / 10))" \
    "$(calc "$mem_ls / 1024")"
printf 'ldapsearch, paged (%d a page): %.3f s; ratio / not paged: %.3f\n' "$BENCH_PAGE" "$tlp" \
    "$(calc "$tlp / $tl")"
