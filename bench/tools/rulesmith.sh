#!/usr/bin/env bash
# rulesmith over 100,000 users and 10,000 groups nested three deep, against ldapsearch reading
# the same two result sets (same filters and attributes) from the same server. Prints the
# ratio and rulesmith's peak memory. Needs root (rulesmith runs as root, writes as cyrus).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
source "$repo/tools/testing/slapd.sh"

DOMAINS=${DOMAINS:-100}
USERS=${USERS:-1000}  # per domain
NGROUPS=${NGROUPS:-100} # per domain: 70 with users, 20 above them, 10 on top
ROUNDS=${ROUNDS:-3}
# COMPARE=PATH: another rulesmith binary (say, a build of an earlier commit), timed in the
# same rounds on the same data, so that a change can be measured on a busy machine.
COMPARE=${COMPARE:-}

[ "$(id -u)" = 0 ] || { echo "rulesmith.sh: run as root" >&2; exit 1; }
# Without a cyrus user on the host, the benchmark runs in a private mount namespace whose user
# database has one (the host's is left alone).
source "$repo/tools/testing/testlib.sh"
tl_private_user cyrus "$0" "$@"
bench_build rulesmith
tool="$BENCH_BUILD/tools/rulesmith/rulesmith"

work=$(mktemp -d /tmp/bench-rulesmith-XXXXXX)
chmod 755 "$work"
trap 'qd_stop; rm -rf "$work"' EXIT

awk -v suffix="$QD_SUFFIX" -v nd="$DOMAINS" -v nu="$USERS" -v ng="$NGROUPS" 'BEGIN {
    printf "dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: bench\n\n", suffix
    l1 = int(ng * 0.7); l2 = int(ng * 0.9)
    for (d = 1; d <= nd; d++) {
        dom = sprintf("d%03d.test", d)
        printf "dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\n\n", dom, suffix, dom
        printf "dn: ou=MSG Users,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Users\n\n", dom, suffix
        printf "dn: ou=MSG Groups,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Groups\n\n", dom, suffix
        for (u = 1; u <= nu; u++) {
            uid = sprintf("%s%d.%d", substr("abcdefghijklmnopqrstuvwxyz0", (u % 27) + 1, 1), u, d)
            printf "dn: uid=%s,ou=MSG Users,ou=%s,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\n", uid, dom, suffix
            printf "uid: %s\ncn: User %d\nsn: U\nou: %s\nmail: %s@%s\n", uid, u, dom, uid, dom
            printf "corvaneMsgSpamFilterEnabled: %s\n", (u % 5 != 0) ? "TRUE" : "FALSE"
            printf "corvaneMsgSpamDestroyEnabled: %s\n", (u % 3 == 0) ? "TRUE" : "FALSE"
            if (u % 4 == 0) {
                printf "corvaneMsgVacationEnabled: TRUE\ncorvaneMsgVacationSubject: Away until Monday\n"
                printf "corvaneMsgVacationMessage: I am out of the office.\n"
            } else
                printf "corvaneMsgVacationEnabled: FALSE\n"
            if (u % 2 == 0)
                printf "corvaneMsgSpamAllowed: boss@%s\ncorvaneMsgSpamAllowed: news@example.org\n", dom
            printf "\n"
            user[u] = uid
        }
        for (g = 1; g <= ng; g++) {
            printf "dn: cn=g%d,ou=MSG Groups,ou=%s,%s\nobjectClass: msgGroup\ncn: g%d\nou: %s\n", g, dom, suffix, g, dom
            if (g <= l1) {
                # every user in one group, every third user in a second one
                for (u = g; u <= nu; u += l1)
                    printf "member: uid=%s,ou=MSG Users,ou=%s,%s\n", user[u], dom, suffix
                for (u = 3 * g; u <= nu; u += 3 * l1)
                    printf "member: uid=%s,ou=MSG Users,ou=%s,%s\n", user[u], dom, suffix
            } else if (g <= l2) {
                for (m = g - l1; m <= l1; m += l2 - l1)
                    printf "member: cn=g%d,ou=MSG Groups,ou=%s,%s\n", m, dom, suffix
            } else {
                for (m = l1 + (g - l2); m <= l2; m += ng - l2)
                    printf "member: cn=g%d,ou=MSG Groups,ou=%s,%s\n", m, dom, suffix
            }
            printf "\n"
        }
    }
}' >"$work/data.ldif"
echo "loading $((DOMAINS * (USERS + NGROUPS + 3) + 1)) entries..."
qd_start "$work" "$work/data.ldif"
echo "loaded; running"
export QUORELLE_MSG_CONF="$work/msg.conf"
export QUORELLE_SIEVE_DIR="$work/sieve"
mkdir -p "$work/sieve"
for l in a b c d e f g h i j k l m n o p q r s t u v w x y z; do mkdir -p "$work/sieve/$l"; done
chown -R cyrus "$work/sieve"

# ARGS are added to both calls (-E pr=N/noprompt: paged).
ldapsearch_both() {
    ldapsearch -x -H "$QD_URI" -LLL "$@" -b "$QD_SUFFIX" -s sub '(objectclass=msgUser)' uid ou mail \
        corvaneMsgVacationEnabled corvaneMsgVacationSubject corvaneMsgVacationMessage \
        corvaneMsgSpamFilterEnabled corvaneMsgSpamDestroyEnabled corvaneMsgSpamAllowed
    ldapsearch -x -H "$QD_URI" -LLL "$@" -b "$QD_SUFFIX" -s sub '(objectclass=msgGroup)' cn ou member
}

# First run: creates every user directory. Peak memory from GNU time.
t0=$(date +%s.%N)
/usr/bin/time -f '%M' -o "$work/mem" "$tool"
t_first=$(calc "$(date +%s.%N) - $t0")
if [ -n "$COMPARE" ]; then
    # The other build's first run, in a tree of its own.
    mkdir -p "$work/sieve-compare"
    for l in a b c d e f g h i j k l m n o p q r s t u v w x y z; do mkdir -p "$work/sieve-compare/$l"; done
    chown -R cyrus "$work/sieve-compare"
    t_cmpfirst=$(QUORELLE_SIEVE_DIR="$work/sieve-compare" bench_time "$COMPARE")
    rm -rf "$work/sieve-compare"
fi
peak_kb=$(tail -1 "$work/mem")
nscripts=$(find "$work/sieve" -name msg.script | wc -l)
sievec_conf="$work/empty.conf"
: >"$sievec_conf"
sample=$(find "$work/sieve" -name msg.script -print -quit)
sievec -c "$sievec_conf" "$sample" "$work/sample.svbin"
ldapsearch_both >/dev/null

# Reading and compiling the directory only: --uid of a user that does not exist ends the run
# right after the compile step (with a fatal error).
read_only() {
    "${tool:?}" --uid=no-such-user 2>/dev/null || true
}

unpaged=$(bench_conf "$work" unpaged LDAPPAGESIZE:0)
always=$(bench_conf "$work" always LDAPPAGING:always)
tr=() tl=() tread=() tcmp=() tcmpread=() tunpaged=() talways=() tlpaged=()
load0=$(bench_load)
for r in $(seq 1 "$ROUNDS"); do
    tr+=("$(bench_time "$tool")")
    tunpaged+=("$(QUORELLE_MSG_CONF=$unpaged bench_time read_only)")
    talways+=("$(QUORELLE_MSG_CONF=$always bench_time read_only)")
    if [ -n "$COMPARE" ]; then
        tcmp+=("$(bench_time "$COMPARE")")
        tcmpread+=("$(tool=$COMPARE bench_time read_only)")
    fi
    tl+=("$(bench_time ldapsearch_both)")
    tlpaged+=("$(bench_time ldapsearch_both -E "pr=$BENCH_PAGE/noprompt")")
    tread+=("$(bench_time read_only)")
done
load1=$(bench_load)
t_read=$(median "${tread[@]}")
t_lspaged=$(median "${tlpaged[@]}")
t_unpaged=$(median "${tunpaged[@]}")
t_always=$(median "${talways[@]}")
t_tool=$(median "${tr[@]}")
t_ls=$(median "${tl[@]}")
printf 'rulesmith, %d users, %d groups (3 levels), %d scripts written, median of %d rounds\n' \
    "$((DOMAINS * USERS))" "$((DOMAINS * NGROUPS))" "$nscripts" "$ROUNDS"
printf '  server indexes: %s; load %s before the rounds, %s after\n' "$(bench_indexes "$work")" \
    "$load0" "$load1"
printf '  rulesmith, first run (creates directories): %8.3f s\n' "$t_first"
printf '  rulesmith, rebuild:                         %8.3f s\n' "$t_tool"
printf '    of which reading the directory:           %8.3f s\n' "$t_read"
printf '    of which the per-user file work (rest):   %8.3f s\n' "$(calc "$t_tool - $t_read")"
printf '  reading the directory, not paged:           %8.3f s\n' "$t_unpaged"
printf '  reading the directory, every search paged: %8.3f s\n' "$t_always"
printf 'ratio reading, default / not paged: %.3f (limit 1.05)\n' "$(calc "$t_read / $t_unpaged")"
printf 'ratio reading, every search paged / not paged: %.3f\n' "$(calc "$t_always / $t_unpaged")"
printf '  ldapsearch, users and groups:               %8.3f s\n' "$t_ls"
printf '  ldapsearch, users and groups, paged:        %8.3f s (%d a page); ratio / not paged: %.3f\n' \
    "$t_lspaged" "$BENCH_PAGE" "$(calc "$t_lspaged / $t_ls")"
printf 'ratio rulesmith rebuild / ldapsearch: %.3f (limit 1.5)\n' "$(calc "$t_tool / $t_ls")"
printf 'ratio rulesmith first run / ldapsearch: %.3f\n' "$(calc "$t_first / $t_ls")"
printf 'peak memory (maximum resident set): %.1f MB (limit 250 MB)\n' "$(calc "$peak_kb / 1024")"
if [ -n "$COMPARE" ]; then
    t_cmp=$(median "${tcmp[@]}")
    t_cmpread=$(median "${tcmpread[@]}")
    printf 'compared with %s, same rounds:\n' "$COMPARE"
    printf '  first run:            %8.3f s (this build / that one: %.3f)\n' "$t_cmpfirst" \
        "$(calc "$t_first / $t_cmpfirst")"
    printf '  rebuild:              %8.3f s (this build / that one: %.3f)\n' "$t_cmp" \
        "$(calc "$t_tool / $t_cmp")"
    printf '  reading the directory: %7.3f s (this build / that one: %.3f)\n' "$t_cmpread" \
        "$(calc "$t_read / $t_cmpread")"
fi
