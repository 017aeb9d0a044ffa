#!/usr/bin/env bash
# crewdump --domain=D --member over 10,000 groups of 50 members each (48 users, 2 nested
# groups) in a domain of 100,000 users, against the two equivalent ldapsearch -LLL calls
# (the user table, the groups with their members) on the same server in the same run.
# Prints the ratio and crewdump's peak memory.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
source "$repo/tools/testing/slapd.sh"

USERS=${USERS:-100000}
NGROUPS=${NGROUPS:-10000}
MEMBERS=${MEMBERS:-50}
ROUNDS=${ROUNDS:-3}

bench_build crewdump
tool="$BENCH_BUILD/tools/crewdump/crewdump"

work=$(mktemp -d /tmp/bench-crewdump-XXXXXX)
trap 'qd_stop; rm -rf "$work"' EXIT

awk -v suffix="$QD_SUFFIX" -v nu="$USERS" -v ng="$NGROUPS" -v nm="$MEMBERS" 'BEGIN {
    dom = "big.test"
    printf "dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: bench\n\n", suffix
    printf "dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\n\n", dom, suffix, dom
    printf "dn: ou=MSG Users,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Users\n\n", dom, suffix
    printf "dn: ou=MSG Groups,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Groups\n\n", dom, suffix
    for (u = 1; u <= nu; u++)
        printf "dn: uid=user%d,ou=MSG Users,ou=%s,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\nuid: user%d\nou: %s\ncn: User %d\nsn: U\nmail: user%d@%s\n\n", u, dom, suffix, u, dom, u, u, dom
    for (g = 1; g <= ng; g++) {
        printf "dn: cn=group%d,ou=MSG Groups,ou=%s,%s\nobjectClass: msgGroup\ncn: group%d\nou: %s\nmail: group%d@%s\n", g, dom, suffix, g, dom, g, dom
        for (m = 0; m < nm - 2; m++)
            printf "member: uid=user%d,ou=MSG Users,ou=%s,%s\n", ((g * 7919 + m * 104729) % nu) + 1, dom, suffix
        for (m = 1; m <= 2; m++)
            printf "member: cn=group%d,ou=MSG Groups,ou=%s,%s\n", ((g + m * 37) % ng) + 1, dom, suffix
        printf "\n"
    }
}' >"$work/data.ldif"
echo "loading $((USERS + NGROUPS + 4)) entries..."
qd_start "$work" "$work/data.ldif"
export QUORELLE_MSG_CONF="$work/msg.conf"

# ARGS are added to both calls (-E pr=N/noprompt: paged).
ldapsearch_both() {
    local -a auth=(-x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -LLL "$@")
    ldapsearch "${auth[@]}" -b "ou=MSG Users,ou=big.test,$QD_SUFFIX" -s sub '(objectclass=msgUser)' \
        uid mail
    ldapsearch "${auth[@]}" -b "ou=MSG Groups,ou=big.test,$QD_SUFFIX" -s sub '(objectclass=msgGroup)' \
        dn member
}

# Check the result once (and warm the server's caches).
"$tool" --domain=big.test --member >"$work/out"
n=$(grep -c '^member:' "$work/out")
[ "$n" = $((NGROUPS * MEMBERS)) ] || { echo "crewdump listed $n members" >&2; exit 1; }
ldapsearch_both >/dev/null

unpaged=$(bench_conf "$work" unpaged LDAPPAGESIZE:0)
always=$(bench_conf "$work" always LDAPPAGING:always)
t_tool=() t_ls=() t_unpaged=() t_always=() t_ls_paged=()
load0=$(bench_load)
for r in $(seq 1 "$ROUNDS"); do
    t_tool+=("$(bench_time "$tool" --domain=big.test --member)")
    t_unpaged+=("$(QUORELLE_MSG_CONF=$unpaged bench_time "$tool" --domain=big.test --member)")
    t_always+=("$(QUORELLE_MSG_CONF=$always bench_time "$tool" --domain=big.test --member)")
    t_ls+=("$(bench_time ldapsearch_both)")
    t_ls_paged+=("$(bench_time ldapsearch_both -E "pr=$BENCH_PAGE/noprompt")")
done
load1=$(bench_load)
tlp=$(median "${t_ls_paged[@]}")
tt=$(median "${t_tool[@]}")
tu=$(median "${t_unpaged[@]}")
ta=$(median "${t_always[@]}")
tl=$(median "${t_ls[@]}")
/usr/bin/time -f '%M' -o "$work/mem" "$tool" --domain=big.test --member >/dev/null
mem=$(tail -1 "$work/mem")

printf 'crewdump --member, %d groups x %d members, %d users, median of %d rounds\n' \
    "$NGROUPS" "$MEMBERS" "$USERS" "$ROUNDS"
printf '  crewdump:                       %8.3f s\n' "$tt"
printf '  ldapsearch -LLL, the two calls: %8.3f s\n' "$tl"
printf '  crewdump, not paged (both searches at once): %8.3f s\n' "$tu"
printf '  server indexes: %s; load %s before the rounds, %s after\n' "$(bench_indexes "$work")" \
    "$load0" "$load1"
printf 'ratio crewdump / ldapsearch: %.3f (limit 1.3)\n' "$(calc "$tt / $tl")"
printf 'ratio default (paging when cut short) / not paged: %.3f (limit 1.05)\n' "$(calc "$tt / $tu")"
printf 'every search paged (LDAPPAGING:always): %.3f s, ratio / not paged: %.3f\n' "$ta" "$(calc "$ta / $tu")"
printf 'peak memory (maximum resident set): %.1f MB\n' "$(calc "$mem / 1024")"
printf 'ldapsearch, the two calls paged (%d a page): %.3f s; ratio / not paged: %.3f\n' "$BENCH_PAGE" \
    "$tlp" "$(calc "$tlp / $tl")"
