#!/usr/bin/env bash
# The tools against directories as they are deployed: a server that requires TLS (StartTLS
# and ldaps://, the CA certificate checked), two servers replicating with syncrepl read through
# the list of URIs with the first one stopped, a size limit of 500 with a larger domain (paged
# searches), a server without paging, servers that never answer and a host whose packets are
# dropped (the time limit), and ldapi:// with SASL EXTERNAL as root.
# Usage: [TL_CASE=NAME] deploy_test.sh ZONETALLY ROSTERDUMP CREWDUMP
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
zonetally=$1
rosterdump=$2
crewdump=$3
demo="$here/../../../examples/directory/demo.ldif"
silent_server="$here/../../testing/silent_server.py"
tl_setup

# Servers besides the one of qd_use (replicas, silent servers), stopped at the end.
extra_pids=()
stop_extra() {
    local p
    for p in "${extra_pids[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    extra_pids=()
}
trap 'stop_extra; tl_cleanup' EXIT

conf="$TL_DIR/test.conf"
export QUORELLE_MSG_CONF="$conf"
# write_conf LINE...: msg.conf with the administrator, the suffix and the given lines.
write_conf() {
    printf 'ADMINDN:%s\nADMINPW:%s\nLDAPSUFFIX:%s\n' "$QD_ADMIN" "$QD_PASSWORD" "$QD_SUFFIX" >"$conf"
    printf '%s\n' "$@" >>"$conf"
}

org_block=$'domain:example.org\nnusers:1\nnaliases:1\n\n'

# The listings of example.com, read once from the server in clear (QD_URI), to compare the
# runs over other transports with.
reference() {
    write_conf "LDAPURI:$QD_URI"
    tl_run "$rosterdump" --domain=example.com
    ref_roster=$TL_OUT
    tl_run "$crewdump" --domain=example.com
    ref_crew=$TL_OUT
    tl_check "reference listing has users" grep -q '^uid:alice$' <<<"$ref_roster"
    tl_check "reference listing has groups" grep -q '^member:alice@example.com$' <<<"$ref_crew"
}

# The blocks of a listing, one line each, sorted: another server (a replica) may return the
# entries in another order.
blocks() { awk 'BEGIN { RS = ""; ORS = "\n" } { gsub("\n", "|"); print }' <<<"$1" | sort; }

# every_tool NAME: the three tools give the reference results with the msg.conf in place.
every_tool() {
    tl_run "$zonetally" --domain=example.org
    tl_expect "$1: zonetally" 0 "$org_block" ""
    tl_run "$rosterdump" --domain=example.com
    tl_expect "$1: rosterdump" 0 - ""
    tl_check "$1: rosterdump lists the same users" test "$(blocks "$TL_OUT")" = "$(blocks "$ref_roster")"
    tl_run "$crewdump" --domain=example.com
    tl_expect "$1: crewdump" 0 - ""
    tl_check "$1: crewdump lists the same groups" test "$(blocks "$TL_OUT")" = "$(blocks "$ref_crew")"
}

# ---------------------------------------------------------------- TLS
certs="$TL_DIR/certs"
mkdir -p "$certs"
qd_make_certs "$certs"

tls_server() {
    # Every operation but StartTLS needs a protected connection.
    QD_TLS_CERT="$certs/server.pem" QD_TLS_KEY="$certs/server.key" QD_LDAPS=1 QD_SECURITY=ssf=1 \
        qd_use "$TL_DIR" "$demo"
}

tls_required() {
    tls_server
    local port=$QD_PORT
    # The server refuses a bind in clear text.
    write_conf "LDAPURI:ldap://127.0.0.1:$port"
    tl_run "$zonetally" --domain=example.org
    tl_expect "bind in clear refused" 1 "" $'ERROR:256:Bind failed (13): Confidentiality required\n'

    write_conf "LDAPURI:ldap://127.0.0.1:$port" "LDAPSTARTTLS:yes" "LDAPCACERT:$certs/ca.pem"
    tl_run "$zonetally" --domain=example.org
    tl_expect "StartTLS" 0 "$org_block" ""
    write_conf "LDAPURI:$QD_LDAPS_URI" "LDAPCACERT:$certs/ca.pem"
    tl_run "$zonetally" --domain=example.org
    tl_expect "ldaps" 0 "$org_block" ""
    # Old style host line with StartTLS; blanks around the values of the new keys.
    write_conf "LDAPHOST:127.0.0.1:$port" "LDAPSTARTTLS: Yes " "LDAPCACERT:$certs/ca.pem"
    tl_run "$zonetally" --domain=example.org
    tl_expect "LDAPHOST with StartTLS" 0 "$org_block" ""
}

tls_every_tool() {
    tls_server
    local port=$QD_PORT
    write_conf "LDAPURI:$QD_LDAPS_URI" "LDAPCACERT:$certs/ca.pem"
    tl_run "$rosterdump" --domain=example.com
    ref_roster=$TL_OUT
    tl_run "$crewdump" --domain=example.com
    ref_crew=$TL_OUT
    tl_check "ldaps: rosterdump lists users" grep -q '^uid:alice$' <<<"$ref_roster"
    tl_check "ldaps: crewdump lists members" grep -q '^member:alice@example.com$' <<<"$ref_crew"
    write_conf "LDAPURI:ldap://127.0.0.1:$port" "LDAPSTARTTLS:yes" "LDAPCACERT:$certs/ca.pem"
    every_tool "StartTLS"
}

tls_wrong_ca() {
    tls_server
    local port=$QD_PORT
    write_conf "LDAPURI:ldap://127.0.0.1:$port" "LDAPSTARTTLS:yes" "LDAPCACERT:$certs/other-ca.pem"
    tl_run "$rosterdump" --domain=example.com
    tl_expect "StartTLS, wrong CA" 1 "" "ERROR:256:Bind failed (-11): Connect error (ldap://127.0.0.1:$port: StartTLS: TLS handshake failed (CA certificates of $certs/other-ca.pem))"$'\n'
    write_conf "LDAPURI:$QD_LDAPS_URI" "LDAPCACERT:$certs/other-ca.pem"
    tl_run "$crewdump" --domain=example.com
    tl_expect "ldaps, wrong CA" 1 "" "ERROR:256:Bind failed (-1): Can't contact LDAP server ($QD_LDAPS_URI: TLS connect: TLS handshake failed (CA certificates of $certs/other-ca.pem))"$'\n'
    write_conf "LDAPURI:$QD_LDAPS_URI" "LDAPCACERT:$TL_DIR/none.pem"
    tl_run "$zonetally"
    tl_expect "missing CA file" 1 "" "ERROR:256:zonetally:Cannot read LDAPCACERT $TL_DIR/none.pem: No such file or directory"$'\n'
}

# A required StartTLS that the server cannot do ends the tool: no fall-back to clear text.
starttls_never_clear() {
    qd_use "$TL_DIR" "$demo"
    write_conf "LDAPURI:ldap://127.0.0.1:$QD_PORT" "LDAPSTARTTLS:yes" "LDAPCACERT:$certs/ca.pem"
    tl_run "$zonetally" --domain=example.org
    tl_check "no StartTLS: status 1" test "$TL_RC" = 1
    tl_check "no StartTLS: nothing printed" test -z "$TL_OUT"
    tl_check "no StartTLS: the server and the step named" \
        grep -q "^ERROR:256:Bind failed (.*(ldap://127.0.0.1:$QD_PORT: StartTLS: " <<<"$TL_ERR"
    write_conf "LDAPURI:ldap://127.0.0.1:$QD_PORT" "LDAPSTARTTLS:maybe"
    tl_run "$zonetally"
    tl_expect "LDAPSTARTTLS neither yes nor no" 1 "" $'ERROR:256:zonetally:msg.conf: LDAPSTARTTLS must be yes or no, not maybe\n'
}

# ---------------------------------------------------------------- replicas
replicas() {
    qd_stop
    mkdir -p "$TL_DIR/provider" "$TL_DIR/consumer"
    QD_SYNCPROV=1 qd_start "$TL_DIR/provider" "$demo"
    local provider_pid=$QD_PID provider_uri="ldap://127.0.0.1:$QD_PORT"
    extra_pids+=("$provider_pid")
    reference
    QD_PID=""
    QD_SYNCREPL_FROM=$provider_uri qd_start "$TL_DIR/consumer"
    local consumer_uri="ldap://127.0.0.1:$QD_PORT"
    extra_pids+=("$QD_PID")
    QD_PID=""
    # A domain written on the provider while both run.
    cat >"$TL_DIR/replica.ldif" <<LDIF
dn: ou=replica.test,$QD_SUFFIX
objectClass: organizationalUnit
ou: replica.test
description: written on the provider

dn: ou=MSG Users,ou=replica.test,$QD_SUFFIX
objectClass: organizationalUnit
ou: MSG Users

dn: uid=rita,ou=MSG Users,ou=replica.test,$QD_SUFFIX
objectClass: inetOrgPerson
objectClass: msgUser
uid: rita
cn: Rita
sn: R
ou: replica.test
mail: rita@replica.test
LDIF
    ldapadd -x -H "$provider_uri" -D "$QD_ADMIN" -w "$QD_PASSWORD" -f "$TL_DIR/replica.ldif" >/dev/null
    local i
    for i in $(seq 1 100); do
        ldapsearch -x -LLL -H "$consumer_uri" -b "$QD_SUFFIX" '(uid=rita)' dn 2>/dev/null | grep -q rita && break
        sleep 0.1
    done
    kill "$provider_pid"
    for i in $(seq 1 50); do
        kill -0 "$provider_pid" 2>/dev/null || break
        sleep 0.1
    done
    write_conf "LDAPURI:$provider_uri $consumer_uri"
    every_tool "first server stopped"
    tl_run "$zonetally" --domain=replica.test
    tl_expect "the consumer serves what the provider wrote" 0 \
        $'domain:replica.test\ndescription:written on the provider\nnusers:1\nnaliases:0\n\n' ""
    stop_extra
}

# ---------------------------------------------------------------- size limits
big="$TL_DIR/big.ldif"
awk -v S="$QD_SUFFIX" 'BEGIN {
    printf "dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: quorelle\no: q\n\n", S
    printf "dn: cn=reader,%s\nobjectClass: organizationalRole\nobjectClass: simpleSecurityObject\n", S
    printf "cn: reader\nuserPassword: readerpw\n\n"
    d = "big.test"
    printf "dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\n\n", d, S, d
    printf "dn: ou=MSG Users,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Users\n\n", d, S
    printf "dn: ou=MSG Groups,ou=%s,%s\nobjectClass: organizationalUnit\nou: MSG Groups\n\n", d, S
    for (i = 1; i <= 1200; i++)
        printf "dn: uid=u%d,ou=MSG Users,ou=%s,%s\nobjectClass: inetOrgPerson\nobjectClass: msgUser\nuid: u%d\ncn: u\nsn: u\nou: %s\nmail: u%d@%s\n\n", i, d, S, i, d, i, d
    for (i = 1; i <= 600; i++)
        printf "dn: cn=g%d,ou=MSG Groups,ou=%s,%s\nobjectClass: msgGroup\ncn: g%d\nou: %s\nmember: uid=u%d,ou=MSG Users,ou=%s,%s\nmember: uid=U%d,ou=MSG Users,ou=%s,%s\n\n", i, d, S, i, d, i, d, S, i + 600, d, S
}' >"$big"

# reader_conf [LINE...]: an ordinary user, subject to the server's limits (its root DN is not).
reader_conf() {
    printf 'LDAPURI:%s\nADMINDN:cn=reader,%s\nADMINPW:readerpw\nLDAPSUFFIX:%s\n' "$QD_URI" \
        "$QD_SUFFIX" "$QD_SUFFIX" >"$conf"
    [ $# = 0 ] || printf '%s\n' "$@" >>"$conf"
}

# the_whole_domain NAME: the three tools see all 1,200 users and 600 groups of big.test.
the_whole_domain() {
    tl_run "$zonetally" --domain=big.test
    tl_expect "$1: zonetally counts every entry" 0 $'domain:big.test\nnusers:1200\nnaliases:600\n\n' ""
    tl_run "$rosterdump" --domain=big.test --uid
    tl_check "$1: rosterdump lists every user" test "$(grep '^uid:' <<<"$TL_OUT" | sort -u | wc -l)" = 1200
    tl_check "$1: rosterdump status" test "$TL_RC" = 0
    # Member DNs name half of the users as uid=U...: uid matches without regard to case.
    tl_run "$crewdump" --domain=big.test --name --member
    tl_check "$1: crewdump lists every group" test "$(grep -c '^name:' <<<"$TL_OUT")" = 600
    tl_check "$1: crewdump finds every member" \
        test "$(grep '^member:u[0-9]*@big.test$' <<<"$TL_OUT" | sort -u | wc -l)" = 1200
    tl_check "$1: crewdump status" test "$TL_RC" = 0
}

size_limit() {
    QD_SIZE_LIMIT="size.soft=500 size.hard=500 size.prtotal=unlimited" qd_use "$TL_DIR" "$big"
    # By default a search cut short at the limit is read again in pages.
    reader_conf
    the_whole_domain "size limit 500, paged when cut short"
    reader_conf "LDAPPAGING: Always " "LDAPPAGESIZE:300"
    the_whole_domain "size limit 500, every search paged"
    # Without paging the server's limit cuts the answer short: a failure, never a short count.
    reader_conf "LDAPPAGESIZE:0"
    tl_run "$zonetally" --domain=big.test
    tl_expect "size limit 500, not paged" 1 "" $'ERROR:256:zonetally:Search failed (4): Size limit exceeded\n'
    tl_run "$crewdump" --domain=big.test --member
    tl_expect "size limit 500, not paged, two searches" 1 "" $'ERROR:256:crewdump:Search failed (4): Size limit exceeded\n'
}

# A server that refuses the control (OpenLDAP with paging disabled): without a size limit it
# is read without paging; with one, the answer cut short stays a failure.
no_paging_server() {
    QD_LIMITS="* size.prtotal=disabled" qd_use "$TL_DIR" "$big"
    reader_conf "LDAPPAGING:always"
    the_whole_domain "paging disabled on the server, every search paged"
    QD_SIZE_LIMIT=500 QD_LIMITS="* size.prtotal=disabled" qd_use "$TL_DIR" "$big"
    reader_conf
    tl_run "$rosterdump" --domain=big.test --uid
    tl_check "paging disabled, size limit 500: status 1" test "$TL_RC" = 1
    tl_check "paging disabled, size limit 500: the limit reported" \
        test "$TL_ERR" = $'ERROR:256:rosterdump:Search failed (4): Size limit exceeded\n'
    tl_check "paging disabled, size limit 500: no user twice" \
        test "$(grep '^uid:' <<<"$TL_OUT" | sort | uniq -d | wc -l)" = 0
}

# Paging only where a size limit needs it: the searches the server answers (counted by its
# monitor database) are the same as without paging unless a search is cut short, which is then
# sent again in pages of LDAPPAGESIZE. OpenLDAP answers a paged search of a subtree from the
# whole candidate list of its filter, so that a paged search costs more than an unpaged one.
# count_searches TOOL ARGS...: tl_run, with the number of searches it made in $searches.
count_searches() {
    local before after
    before=$(qd_searches)
    tl_run "$@"
    after=$(qd_searches)
    searches=$((after - before - 1))
}

paging_on_demand() {
    QD_MONITOR=1 qd_use "$TL_DIR" "$big"
    local n_roster n_crew
    reader_conf "LDAPPAGESIZE:0"
    count_searches "$rosterdump" --domain=big.test --uid
    n_roster=$searches
    tl_check "not paged: rosterdump lists every user" test "$(grep -c '^uid:' <<<"$TL_OUT")" = 1200
    count_searches "$crewdump" --domain=big.test --name --member
    n_crew=$searches
    tl_check "not paged: crewdump lists every group" test "$(grep -c '^name:' <<<"$TL_OUT")" = 600

    reader_conf
    count_searches "$rosterdump" --domain=big.test --uid
    tl_check "no size limit: rosterdump sends its searches once, not paged" test "$searches" = "$n_roster"
    tl_check "no size limit: rosterdump lists every user" test "$(grep -c '^uid:' <<<"$TL_OUT")" = 1200
    count_searches "$crewdump" --domain=big.test --name --member
    tl_check "no size limit: crewdump sends its searches once, not paged" test "$searches" = "$n_crew"

    # Every search paged: 1,200 users in four pages of 300, one search each.
    reader_conf "LDAPPAGING:always" "LDAPPAGESIZE:300"
    count_searches "$rosterdump" --domain=big.test --uid
    tl_check "every search paged: four pages of users" test "$searches" = $((n_roster + 3))
    tl_check "every search paged: every user" test "$(grep -c '^uid:' <<<"$TL_OUT")" = 1200

    # Cut short at 500: sent again in pages of 500 (500, 500, 200).
    QD_MONITOR=1 QD_SIZE_LIMIT="size.soft=500 size.hard=500 size.prtotal=unlimited" qd_use "$TL_DIR" "$big"
    reader_conf
    count_searches "$rosterdump" --domain=big.test --uid
    tl_check "size limit 500: cut short once, then three pages" test "$searches" = $((n_roster + 3))
    tl_check "size limit 500: every user once" \
        test "$(grep '^uid:' <<<"$TL_OUT" | sort -u | wc -l):$(grep -c '^uid:' <<<"$TL_OUT")" = 1200:1200
}

# ---------------------------------------------------------------- time-outs
# start_silent MODE: a server of silent_server.py; sets silent_port.
start_silent() {
    rm -f "$TL_DIR/$1.port"
    python3 "$silent_server" "$1" "$TL_DIR/$1.port" &
    extra_pids+=("$!")
    local i
    for i in $(seq 1 100); do
        [ -s "$TL_DIR/$1.port" ] && break
        sleep 0.05
    done
    silent_port=$(cat "$TL_DIR/$1.port")
}

# timed NAME MAX CMD...: runs CMD through tl_run; fails NAME when it took MAX seconds or more.
timed() {
    local name=$1 max=$2 t0 t1
    shift 2
    t0=$(date +%s.%N)
    tl_run timeout 60 "$@"
    t1=$(date +%s.%N)
    tl_check "$name: $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }') s, less than $max s" \
        awk -v a="$t0" -v b="$t1" -v m="$max" 'BEGIN { exit !(b - a < m) }'
}

silent_servers() {
    qd_use "$TL_DIR" "$demo"
    start_silent silent
    local s=$silent_port
    write_conf "LDAPURI:ldap://127.0.0.1:$s" "LDAPTIMEOUT:2"
    timed "bind never answered" 3 "$zonetally" --domain=example.org
    tl_expect "bind never answered" 1 "" "ERROR:256:Bind failed (-5): Timed out (ldap://127.0.0.1:$s: bind: no answer within 2 s)"$'\n'
    write_conf "LDAPURI:ldap://127.0.0.1:$s" "LDAPTIMEOUT:2" "LDAPSTARTTLS:yes"
    timed "StartTLS never answered" 3 "$rosterdump" --domain=example.com
    tl_expect "StartTLS never answered" 1 "" "ERROR:256:Bind failed (-5): Timed out (ldap://127.0.0.1:$s: StartTLS: no answer within 2 s)"$'\n'
    write_conf "LDAPURI:ldaps://127.0.0.1:$s" "LDAPTIMEOUT:2" "LDAPCACERT:$certs/ca.pem"
    timed "TLS handshake never answered" 3 "$crewdump" --domain=example.com
    tl_expect "TLS handshake never answered" 1 "" "ERROR:256:Bind failed (-5): Timed out (ldaps://127.0.0.1:$s: TLS connect: no answer within 2 s)"$'\n'

    start_silent bind
    local b=$silent_port
    write_conf "LDAPURI:ldap://127.0.0.1:$b" "LDAPTIMEOUT:2"
    timed "search never answered" 3 "$zonetally" --domain=example.org
    tl_expect "search never answered" 1 "" "ERROR:256:zonetally:Search failed (-5): Timed out (ldap://127.0.0.1:$b: no answer within 2 s)"$'\n'

    # A silent first server costs the time limit; the next one serves.
    write_conf "LDAPURI:ldap://127.0.0.1:$s ldap://127.0.0.1:$QD_PORT" "LDAPTIMEOUT:2"
    timed "silent first server" 4 "$zonetally" --domain=example.org
    tl_expect "silent first server" 0 "$org_block" ""
    stop_extra

    write_conf "LDAPURI:ldap://127.0.0.1:$QD_PORT" "LDAPTIMEOUT:0"
    tl_run "$zonetally"
    tl_expect "LDAPTIMEOUT 0" 1 "" $'ERROR:256:zonetally:msg.conf: LDAPTIMEOUT must be a number of seconds from 1 to 86400, not 0\n'
}

# A host whose packets are dropped: a DROP rule on a loopback port, in a network namespace of
# its own (gone with the test's process).
dropped_packets() {
    if [ "$(id -u)" != 0 ] || ! unshare -n true 2>/dev/null || ! command -v iptables >/dev/null; then
        echo "  skipped: needs root, unshare -n and iptables"
        return 0
    fi
    write_conf "LDAPURI:ldap://127.0.0.1:389" "LDAPTIMEOUT:2"
    timed "packets dropped" 3 unshare -n sh -c \
        'ip link set lo up && iptables -A INPUT -p tcp --dport 389 -j DROP && exec "$@"' sh "$zonetally"
    tl_expect "packets dropped" 1 "" $'ERROR:256:Bind failed (-5): Timed out (ldap://127.0.0.1:389: connect: no answer within 2 s)\n'
}

# ---------------------------------------------------------------- ldapi:// and SASL EXTERNAL
ldapi_external() {
    if [ "$(id -u)" != 0 ]; then
        echo "  skipped: needs root"
        return 0
    fi
    QD_LDAPI=1 QD_ACCESS="to * by * none" qd_use "$TL_DIR" "$demo"
    # No password anywhere; standard input is empty (and not read).
    printf 'LDAPURI:%s\nLDAPSASLMECH:EXTERNAL\nADMINDN:%s\nLDAPSUFFIX:%s\n' "$QD_LDAPI_URI" \
        "$QD_ADMIN" "$QD_SUFFIX" >"$conf"
    tl_run "$zonetally" --domain=example.org
    tl_expect "root by SASL EXTERNAL" 0 "$org_block" ""
    tl_run "$rosterdump" --domain=example.org --uid
    tl_expect "rosterdump by SASL EXTERNAL" 0 $'uid:7dwarfs\n\n' ""
    # Another user is not the administrator: the server shows it nothing.
    chmod 644 "$conf"
    tl_run setpriv --reuid=65534 --regid=65534 --clear-groups "$zonetally" --domain=example.org
    tl_expect "another user by SASL EXTERNAL" 1 "" $'ERROR:256:--domain=example.org does not exist\n'
}

tl_case "TLS required" tls_required
tl_case "TLS, every tool" tls_every_tool
tl_case "TLS, wrong CA" tls_wrong_ca
tl_case "StartTLS never falls back" starttls_never_clear
tl_case "replicas" replicas
tl_case "size limit" size_limit
tl_case "server without paging" no_paging_server
tl_case "paging on demand" paging_on_demand
tl_case "silent servers" silent_servers
tl_case "dropped packets" dropped_packets
tl_case "ldapi and SASL EXTERNAL" ldapi_external
tl_done
