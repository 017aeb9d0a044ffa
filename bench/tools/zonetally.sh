#!/usr/bin/env bash
# zonetally over 100 domains with 1,000 users and 100 groups each, against the same queries
# made with ldapsearch (same bases, filters and attributes-only requests, one process per
# query as a web script would run them) on the same private server. Prints the ratio.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
source "$repo/tools/testing/slapd.sh"

DOMAINS=${DOMAINS:-100}
USERS=${USERS:-1000}
NGROUPS=${GROUPS_PER_DOMAIN:-100}
ROUNDS=${ROUNDS:-3}

bench_build zonetally
tool="$BENCH_BUILD/tools/zonetally/zonetally"

work=$(mktemp -d /tmp/bench-zonetally-XXXXXX)
trap 'qd_stop; rm -rf "$work"' EXIT

awk -v suffix="$QD_SUFFIX" -v nd="$DOMAINS" -v nu="$USERS" -v ng="$NGROUPS" 'BEGIN {
    printf "dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: bench\n\n", suffix
    for (d = 1; d <= nd; d++) {
        dom = sprintf("d%03d.test", d)
        printf "dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\ndescription: Domain %d\n\n", dom, suffix, dom, d
        printf "dn: ou=MSG Users,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Users\n\n", dom, suffix
        printf "dn: ou=MSG Groups,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Groups\n\n", dom, suffix
        for (u = 1; u <= nu; u++)
            printf "dn: uid=u%d,ou=MSG Users,ou=%s,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\nuid: u%d\ncn: User %d\nsn: U\nou: %s\nmail: u%d@%s\n\n", u, dom, suffix, u, u, dom, u, dom
        for (g = 1; g <= ng; g++)
            printf "dn: cn=g%d,ou=MSG Groups,ou=%s,%s\nobjectClass: msgGroup\ncn: g%d\nou: %s\nmember: uid=u%d,ou=MSG Users,ou=%s,%s\n\n", g, dom, suffix, g, dom, g, dom, suffix
    }
}' >"$work/data.ldif"
echo "loading $((DOMAINS * (USERS + NGROUPS + 3) + 1)) entries..."
qd_start "$work" "$work/data.ldif"
export QUORELLE_MSG_CONF="$work/msg.conf"

# The ldapsearch equivalent of one zonetally run over every domain.
ldapsearch_all() {
    local -a auth=(-x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -LLL)
    ldapsearch "${auth[@]}" -b "$QD_SUFFIX" -s one '(objectclass=organizationalunit)' ou |
        sed -n 's/^ou: //p' >"$work/domains"
    local d
    while IFS= read -r d; do
        ldapsearch "${auth[@]}" -b "$QD_SUFFIX" -s one "(ou=$d)"
        ldapsearch "${auth[@]}" -A -b "ou=MSG Users,ou=$d,$QD_SUFFIX" -s sub '(objectclass=msgUser)' uid
        ldapsearch "${auth[@]}" -A -b "ou=MSG Groups,ou=$d,$QD_SUFFIX" -s sub '(objectclass=msgGroup)' cn
    done <"$work/domains"
}

# One ldapsearch reading the same user and group entries in a single search (no per-query
# process start): the bare cost of the data.
ldapsearch_one() {
    ldapsearch -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -LLL -A -b "$QD_SUFFIX" -s sub \
        '(|(objectclass=msgUser)(objectclass=msgGroup))' uid cn
}

# zonetally's 200 searches of the domains' users and groups (attributes only) with ldapsearch,
# one process per search; ARGS are added to each (-E pr=N/noprompt: paged). Unpaged against
# paged, this is the cost of paging on the server's side, without the tool.
ldapsearch_domains() {
    local -a auth=(-x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -LLL -A)
    local d
    while IFS= read -r d; do
        ldapsearch "${auth[@]}" "$@" -b "ou=MSG Users,ou=$d,$QD_SUFFIX" -s sub '(objectclass=msgUser)' uid
        ldapsearch "${auth[@]}" "$@" -b "ou=MSG Groups,ou=$d,$QD_SUFFIX" -s sub '(objectclass=msgGroup)' cn
    done <"$work/domains"
}

# Check the result once, and warm the server's caches.
"$tool" >"$work/out"
n=$(grep -c '^domain:' "$work/out")
bad=$(grep -E '^(nusers|naliases):' "$work/out" | grep -vcE "^(nusers:$USERS|naliases:$NGROUPS)$" || true)
[ "$n" = "$DOMAINS" ] && [ "$bad" = 0 ] || { echo "unexpected zonetally output" >&2; exit 1; }
ldapsearch_all >/dev/null

unpaged=$(bench_conf "$work" unpaged LDAPPAGESIZE:0)
always=$(bench_conf "$work" always LDAPPAGING:always)
tz=() ls_all=() ls_one=() tu=() ta=() ls_dom=() ls_dom_paged=()
load0=$(bench_load)
for r in $(seq 1 "$ROUNDS"); do
    tz+=("$(bench_time "$tool")")
    tu+=("$(QUORELLE_MSG_CONF=$unpaged bench_time "$tool")")
    ta+=("$(QUORELLE_MSG_CONF=$always bench_time "$tool")")
    ls_all+=("$(bench_time ldapsearch_all)")
    ls_one+=("$(bench_time ldapsearch_one)")
    ls_dom+=("$(bench_time ldapsearch_domains)")
    ls_dom_paged+=("$(bench_time ldapsearch_domains -E "pr=$BENCH_PAGE/noprompt")")
done
load1=$(bench_load)
t_tool=$(median "${tz[@]}")
t_unpaged=$(median "${tu[@]}")
t_always=$(median "${ta[@]}")
t_all=$(median "${ls_all[@]}")
t_one=$(median "${ls_one[@]}")
t_dom=$(median "${ls_dom[@]}")
t_dom_paged=$(median "${ls_dom_paged[@]}")
printf 'zonetally, %d domains x (%d users, %d groups), median of %d rounds\n' \
    "$DOMAINS" "$USERS" "$NGROUPS" "$ROUNDS"
printf '  server indexes: %s; load %s before the rounds, %s after\n' "$(bench_indexes "$work")" \
    "$load0" "$load1"
printf '  zonetally:                         %8.3f s\n' "$t_tool"
printf '  ldapsearch, same %d queries:      %8.3f s\n' "$((1 + 3 * DOMAINS))" "$t_all"
printf '  ldapsearch, one search, same data: %8.3f s\n' "$t_one"
printf 'ratio zonetally / ldapsearch queries: %.3f (limit 1.2)\n' "$(calc "$t_tool / $t_all")"
printf 'ratio zonetally / single ldapsearch:  %.3f\n' "$(calc "$t_tool / $t_one")"
printf 'zonetally not paged: %.3f s; ratio default / not paged: %.3f (limit 1.05)\n' "$t_unpaged" \
    "$(calc "$t_tool / $t_unpaged")"
printf 'zonetally, every search paged: %.3f s; ratio / not paged: %.3f\n' "$t_always" \
    "$(calc "$t_always / $t_unpaged")"
printf 'ldapsearch, the %d user and group searches: %.3f s not paged, %.3f s paged (%d a page); ratio: %.3f\n' \
    "$((2 * DOMAINS))" "$t_dom" "$t_dom_paged" "$BENCH_PAGE" "$(calc "$t_dom_paged / $t_dom")"
