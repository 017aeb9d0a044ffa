#!/usr/bin/env bash
# Property test: users and groups with hostile directory values (quotes, backslashes, lines
# that are a lone ".", Sieve syntax, non-ASCII, long values). Every generated script must be
# accepted by Pigeonhole's sievec, and the compiled script must carry each value literally
# (the compiler's string of the right length, the exact bytes in the binary).
# Usage: [TL_CASE="user pN"] sieve_property_test.sh PATH/TO/rulesmith [SEED] [USERS]
set -euo pipefail
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
source "$here/sieve_tree.sh"
tool=$1
seed=${2:-20261207}
nusers=${3:-40}
ngroups=8
RANDOM=$seed
echo "seed $seed, $nusers users"
tl_setup
tree="$TL_DIR/sieve"
export QUORELLE_SIEVE_DIR="$tree"
export QUORELLE_MSG_CONF="$TL_DIR/msg.conf"
domain=prop.test
users_dn="ou=MSG Users,ou=$domain,$QD_SUFFIX"
groups_dn="ou=MSG Groups,ou=$domain,$QD_SUFFIX"

long=$(printf 'L%.0s' $(seq 700))
pieces=('"' '\' '\"' '"\' '"; discard; keep; "' '}' '{ stop; }' 'text:' ';' '.' '..' '. '
    $'\n' $'\n.\n' $'\n..\n' $'\n.' 'caf\xc3\xa9' $'\xe6\x97\xa5\xe6\x9c\xac' $'\xf0\x9f\x93\xa7'
    '#' '/*' '*/' 'plain' '@' "'" '\\' '%' "$long")
oneline=('"' '\' '\"' '"; discard; "' '}' '{' ';' '.' 'caf\xc3\xa9' $'\xc3\x84\xc3\x96' '#'
    '/*' 'x' '@' "'" '%' '-' 'MSG')

# A random text of 1 to 6 pieces into REPLY (multi=1: pieces with newlines too).
rand_text() {
    local n=$((RANDOM % 6 + 1)) i
    REPLY=""
    for ((i = 0; i < n; i++)); do
        if [ "$1" = 1 ]; then
            REPLY+=${pieces[RANDOM % ${#pieces[@]}]}
        else
            REPLY+=${oneline[RANDOM % ${#oneline[@]}]}
        fi
    done
}

b64() { printf '%s' "$1" | base64 -w0; }

# RFC 4514 escaping of a DN attribute value.
dn_escape() {
    local v=$1 out="" c i
    for ((i = 0; i < ${#v}; i++)); do
        c=${v:i:1}
        case $c in
        [\\\"+,\;\<\>=#]) out+="\\$c" ;;
        *) out+=$c ;;
        esac
    done
    printf '%s' "$out"
}

# Groups: hostile names (with "MSG" at times); group g is a member of group g+1 and the last
# of the first, so the nesting is one cycle through every group.
declare -a gname gdn
for ((g = 0; g < ngroups; g++)); do
    rand_text 0
    gname[g]="$REPLY $g"
    gdn[g]="cn=$(dn_escape "${gname[g]}"),$groups_dn"
done
declare -a subj note mail allowed
{
    ldif_domain "$domain"
    for ((u = 0; u < nusers; u++)); do
        rand_text 1
        subj[u]=$REPLY
        rand_text 1
        note[u]=$REPLY
        [ $((u % 7)) = 3 ] && note[u]=$'.\n..\n.x\n.'
        rand_text 0
        mail[u]="p$u$(printf '%s' "$REPLY" | tr -d '\200-\377')@$domain"
        printf 'dn: uid=p%d,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\n' "$u" "$users_dn"
        printf 'uid: p%d\ncn: p\nsn: p\nou: %s\n' "$u" "$domain"
        printf 'mail:: %s\n' "$(b64 "${mail[u]}")"
        printf 'corvaneMsgVacationEnabled: TRUE\ncorvaneMsgSpamFilterEnabled: TRUE\n'
        printf 'corvaneMsgVacationSubject:: %s\n' "$(b64 "${subj[u]}")"
        printf 'corvaneMsgVacationMessage:: %s\n' "$(b64 "${note[u]}")"
        allowed[u]=""
        for ((a = 0; a < u % 3 + 1; a++)); do
            rand_text 1
            allowed[u]+="$REPLY$a"$'\x1f'
            printf 'corvaneMsgSpamAllowed:: %s\n' "$(b64 "$REPLY$a")"
        done
        printf '\n'
    done
    for ((g = 0; g < ngroups; g++)); do
        printf 'dn:: %s\nobjectClass: msgGroup\ncn:: %s\nou: %s\n' "$(b64 "${gdn[g]}")" \
            "$(b64 "${gname[g]}")" "$domain"
        for ((u = g; u < nusers; u += ngroups)); do
            printf 'member: uid=p%d,%s\n' "$u" "$users_dn"
        done
        printf 'member:: %s\n\n' "$(b64 "${gdn[(g + ngroups - 1) % ngroups]}")"
    done
} >"$TL_DIR/prop.ldif"

demo="$here/../../../examples/directory/demo.ldif"
# The fixture of every case: one run of rulesmith over all generated users.
generated_scripts() {
    [ "${PROP_RAN:-}" = 1 ] && return 0
    qd_use "$TL_DIR" "$demo" "$TL_DIR/prop.ldif"
    rm -rf "$tree"
    make_tree "$tree"
    tl_run timeout 120 "$tool"
    tl_expect "rulesmith run" 0 "" ""
    PROP_RAN=1
}

# contains TEXT: the compiled script (BINSTR, NUL bytes dropped) contains TEXT.
contains() {
    [[ $BINSTR == *"$1"* ]]
}
fixed=$'This is an automated reply:\nThis person is temporarily out of the office\n'

# The script of user pU compiles, and the compiled script carries each value literally.
user_script() {
    local u=$1 script bin dump s reason v g n
    generated_scripts
    script="$tree/p/p$u/msg.script"
    TL_CHECKS=$((TL_CHECKS + 1))
    if ! sieve_ok "$script"; then
        tl_fail "p$u: script does not compile"
        return 0
    fi
    bin="$TL_DIR/out.svbin"
    dump=$(sieve-dump -c "$SIEVE_EMPTY_CONF" "$bin")
    BINSTR=$(tr -d '\000' <"$bin"; printf x)
    # Sieve line ends are CRLF: the compiler stores a line break of a string as CRLF.
    s=${subj[u]//$'\n'/$'\r\n'}
    tl_check "p$u: subject length" grep -qF "subject: STR[${#s}] " <<<"$dump"
    tl_check "p$u: subject bytes" contains "$s"
    reason="${fixed}and has left the following note:"$'\n\n'"${note[u]}"$'\n'
    reason=${reason//$'\n'/$'\r\n'}
    tl_check "p$u: note length" grep -qF "reason: STR[${#reason}] " <<<"$dump"
    tl_check "p$u: note bytes" contains "$reason"
    tl_check "p$u: address" contains "${mail[u]}"
    mapfile -d $'\x1f' -t senders < <(printf '%s' "${allowed[u]}")
    for v in "${senders[@]}"; do
        [ -n "$v" ] || continue
        v=${v//$'\n'/$'\r\n'}
        tl_check "p$u: allowed sender length" grep -qF "key list: STR[${#v}] " <<<"$dump"
        tl_check "p$u: allowed sender bytes" contains "$v"
    done
    # The user's group and, through the nesting cycle, every other group, each once (plus the
    # local-part block).
    tl_check "p$u: every group once" test "$(grep -c '^if header :contains "to" ' "$script")" = $((ngroups + 1))
    for ((g = 0; g < ngroups; g++)); do
        n=${gname[g]}
        tl_check "p$u: group $g bytes" contains "$n"
    done
}

for ((u = 0; u < nusers; u++)); do
    tl_case "user p$u" user_script "$u"
done
tl_done
