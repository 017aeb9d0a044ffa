#!/usr/bin/env bash
# Private OpenLDAP directory for the tool tests and benchmarks: an mdb database in its own
# directory, the product schema, listening on 127.0.0.1 on a free port, stopped by its pid.
# Indexed as a production directory is: equality on objectClass, ou and uid (the tools'
# filters and the domain lookups), mail and corvaneMsgAlternateAddress (the mail server's
# mailbox lookups), member (group membership lookups).
#
# Source it and call the functions:
#   qd_start DIR [LDIF...]   create DIR/slapd.d and DIR/db, bulk-load the LDIF files, start
#                            slapd; sets QD_PORT, QD_URI, QD_PID and writes DIR/msg.conf
#   qd_stop                  SIGTERM to the pid, wait until it is gone (then SIGKILL)
#   qd_use DIR LDIF...       the fixture of a test case: the server with exactly these LDIF
#                            files loaded and the options below; restarted only when it runs
#                            with other files or options or its data was changed since
#                            (qd_add, qd_modify)
#   qd_add LDIF              ldapadd as the administrator while the server runs
#   qd_modify LDIF           ldapmodify as the administrator while the server runs
#   qd_searches              the number of searches the server has completed (QD_MONITOR=1)
# Environment read by qd_start:
#   QD_SIZE_LIMIT            olcSizeLimit (default unlimited), e.g. "size.soft=500 size.hard=500"
#   QD_LIMITS                olcLimits of the database (default none)
#   QD_ACCESS                olcAccess of the database (default "to * by * read")
#   QD_TLS_CERT, QD_TLS_KEY  server certificate and key: StartTLS offered
#   QD_LDAPS=1               also listen for ldaps:// on a second free port (sets QD_LDAPS_URI)
#   QD_SECURITY              olcSecurity, e.g. "tls=1" (every operation but StartTLS needs TLS)
#   QD_LDAPI=1               also listen on DIR/ldapi (sets QD_LDAPI_URI); the root user of
#                            this host, by SASL EXTERNAL, is the administrator
#   QD_SYNCPROV=1            a syncrepl provider (the syncprov overlay)
#   QD_SYNCREPL_FROM=URI     a syncrepl consumer of the provider at URI (refreshAndPersist)
#   QD_CONF_EXTRA            lines appended to DIR/msg.conf
#   QD_MONITOR=1             the monitor database (cn=Monitor), readable by everyone:
#                            qd_searches prints how many searches the server has completed
# Fixed names: suffix QD_SUFFIX, administrator QD_ADMIN with password QD_PASSWORD.
#
# Or run it: slapd.sh start DIR [LDIF...] (prints the port; the server keeps running)
#            slapd.sh stop DIR

QD_SUFFIX="dc=quorelle,dc=test"
QD_ADMIN="cn=admin,dc=quorelle,dc=test"
QD_PASSWORD="secret"
QD_SCHEMA_DIR=${QD_SCHEMA_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../schema" && pwd)}
QD_PID=""
QD_LOADED=""

qd_config() {
    local dir=$1 limit=${QD_SIZE_LIMIT:-unlimited}
    cat <<CONF
dn: cn=config
objectClass: olcGlobal
cn: config
olcPidFile: $dir/slapd.pid
olcArgsFile: $dir/slapd.args
olcSizeLimit: $limit
CONF
    if [ -n "${QD_TLS_CERT:-}" ]; then
        printf 'olcTLSCertificateFile: %s\nolcTLSCertificateKeyFile: %s\n' "$QD_TLS_CERT" "$QD_TLS_KEY"
    fi
    [ -z "${QD_SECURITY:-}" ] || printf 'olcSecurity: %s\n' "$QD_SECURITY"
    if [ "${QD_LDAPI:-}" = 1 ]; then
        printf 'olcAuthzRegexp: {0}"gidNumber=0\\+uidNumber=0,cn=peercred,cn=external,cn=auth" "%s"\n' "$QD_ADMIN"
    fi
    cat <<CONF

dn: cn=module{0},cn=config
objectClass: olcModuleList
cn: module{0}
olcModulePath: /usr/lib/ldap
olcModuleLoad: back_mdb
CONF
    [ "${QD_SYNCPROV:-}" != 1 ] || printf 'olcModuleLoad: syncprov\n'
    cat <<CONF

dn: cn=schema,cn=config
objectClass: olcSchemaConfig
cn: schema

include: file:///etc/ldap/schema/core.ldif
include: file:///etc/ldap/schema/cosine.ldif
include: file:///etc/ldap/schema/inetorgperson.ldif
include: file://$QD_SCHEMA_DIR/quorelle.ldif

dn: olcDatabase={-1}frontend,cn=config
objectClass: olcDatabaseConfig
objectClass: olcFrontendConfig
olcDatabase: {-1}frontend
olcSizeLimit: $limit

dn: olcDatabase={0}config,cn=config
objectClass: olcDatabaseConfig
olcDatabase: {0}config

dn: olcDatabase={1}mdb,cn=config
objectClass: olcDatabaseConfig
objectClass: olcMdbConfig
olcDatabase: {1}mdb
olcSuffix: $QD_SUFFIX
olcRootDN: $QD_ADMIN
olcRootPW: $QD_PASSWORD
olcDbDirectory: $dir/db
olcDbMaxSize: 4294967296
olcDbIndex: objectClass eq
olcDbIndex: ou eq
olcDbIndex: uid eq
olcDbIndex: mail eq
olcDbIndex: corvaneMsgAlternateAddress eq
olcDbIndex: member eq
olcSizeLimit: $limit
olcAccess: ${QD_ACCESS:-to * by * read}
CONF
    [ -z "${QD_LIMITS:-}" ] || printf 'olcLimits: %s\n' "$QD_LIMITS"
    if [ -n "${QD_SYNCREPL_FROM:-}" ]; then
        printf 'olcSyncrepl: rid=001 provider=%s bindmethod=simple binddn="%s" credentials=%s searchbase="%s" type=refreshAndPersist retry="1 +"\n' \
            "$QD_SYNCREPL_FROM" "$QD_ADMIN" "$QD_PASSWORD" "$QD_SUFFIX"
    fi
    if [ "${QD_SYNCPROV:-}" = 1 ]; then
        printf '\ndn: olcOverlay=syncprov,olcDatabase={1}mdb,cn=config\nobjectClass: olcOverlayConfig\n'
        printf 'objectClass: olcSyncProvConfig\nolcOverlay: syncprov\n'
    fi
    if [ "${QD_MONITOR:-}" = 1 ]; then
        printf '\ndn: olcDatabase={2}monitor,cn=config\nobjectClass: olcDatabaseConfig\n'
        printf 'olcDatabase: {2}monitor\nolcAccess: to * by * read\n'
    fi
}

# A URL-encoded path for an ldapi:// URI.
qd_ldapi_uri() {
    local path=$1 out="" i c
    for ((i = 0; i < ${#path}; i++)); do
        c=${path:i:1}
        case $c in
        [a-zA-Z0-9._-]) out+=$c ;;
        *) out+=$(printf '%%%02X' "'$c") ;;
        esac
    done
    printf 'ldapi://%s' "$out"
}

# Certificates for a TLS server, made in DIR: a test CA (ca.pem), a server certificate for
# 127.0.0.1 and localhost signed by it (server.pem, server.key), and another CA that signed
# nothing of this server (other-ca.pem).
qd_make_certs() {
    local dir=$1
    local key=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
    openssl req -x509 "${key[@]}" -days 2 -subj "/CN=Quorelle test CA" -keyout "$dir/ca.key" \
        -out "$dir/ca.pem" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null &&
    openssl req -x509 "${key[@]}" -days 2 -subj "/CN=Quorelle other CA" -keyout "$dir/other-ca.key" \
        -out "$dir/other-ca.pem" -addext "basicConstraints=critical,CA:TRUE" 2>/dev/null &&
    openssl req "${key[@]}" -subj "/CN=127.0.0.1" -keyout "$dir/server.key" -out "$dir/server.csr" \
        2>/dev/null &&
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
        >"$dir/server.ext" &&
    openssl x509 -req -in "$dir/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial \
        -days 2 -extfile "$dir/server.ext" -out "$dir/server.pem" 2>/dev/null
}

qd_start() {
    local dir=$1
    shift
    dir=$(cd "$dir" && pwd) || return 1
    rm -rf "$dir/slapd.d" "$dir/db"
    mkdir -p "$dir/slapd.d" "$dir/db"
    qd_config "$dir" >"$dir/config.ldif"
    slapadd -n0 -F "$dir/slapd.d" -l "$dir/config.ldif" >"$dir/slapadd.log" 2>&1 || {
        cat "$dir/slapadd.log" >&2
        return 1
    }
    local f
    for f in "$@"; do
        slapadd -q -F "$dir/slapd.d" -b "$QD_SUFFIX" -l "$f" >>"$dir/slapadd.log" 2>&1 || {
            echo "qd_start: slapadd of $f failed" >&2
            cat "$dir/slapadd.log" >&2
            return 1
        }
    done
    # A random port; if slapd cannot bind to it, try another.
    local try port urls
    for try in 1 2 3 4 5 6 7 8 9 10; do
        port=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        urls="ldap://127.0.0.1:$port/"
        QD_LDAPS_URI=""
        QD_LDAPI_URI=""
        if [ "${QD_LDAPS:-}" = 1 ]; then
            QD_LDAPS_URI="ldaps://127.0.0.1:$((20000 + (RANDOM * 32768 + RANDOM) % 40000))"
            urls+=" $QD_LDAPS_URI/"
        fi
        if [ "${QD_LDAPI:-}" = 1 ]; then
            QD_LDAPI_URI=$(qd_ldapi_uri "$dir/ldapi")
            urls+=" $QD_LDAPI_URI"
        fi
        rm -f "$dir/slapd.pid"
        if slapd -F "$dir/slapd.d" -h "$urls" >"$dir/slapd.log" 2>&1; then
            local i
            for i in $(seq 1 100); do
                [ -s "$dir/slapd.pid" ] && break
                sleep 0.05
            done
            if [ -s "$dir/slapd.pid" ]; then
                QD_PID=$(cat "$dir/slapd.pid")
                QD_PORT=$port
                QD_URI="ldap://127.0.0.1:$port/"
                for i in $(seq 1 100); do
                    # Any answer will do (a server that requires TLS refuses this one).
                    local rc=0
                    ldapsearch -x -H "$QD_URI" -b "" -s base >/dev/null 2>&1 || rc=$?
                    if [ "$rc" != 255 ]; then
                        printf 'LDAPHOST:127.0.0.1:%s\nADMINDN:%s\nADMINPW:%s\nLDAPSUFFIX:%s\n' \
                            "$port" "$QD_ADMIN" "$QD_PASSWORD" "$QD_SUFFIX" >"$dir/msg.conf"
                        [ -z "${QD_CONF_EXTRA:-}" ] || printf '%s\n' "$QD_CONF_EXTRA" >>"$dir/msg.conf"
                        echo "$QD_PID" >"$dir/qd.pid"
                        return 0
                    fi
                    sleep 0.05
                done
                qd_stop
            fi
        fi
    done
    echo "qd_start: slapd did not start" >&2
    cat "$dir/slapd.log" >&2
    return 1
}

qd_use() {
    # The server's options are part of what it was started with.
    local key="$*|${QD_SIZE_LIMIT:-}|${QD_LIMITS:-}|${QD_ACCESS:-}|${QD_TLS_CERT:-}|${QD_LDAPS:-}"
    key+="|${QD_SECURITY:-}|${QD_LDAPI:-}|${QD_SYNCPROV:-}|${QD_SYNCREPL_FROM:-}|${QD_CONF_EXTRA:-}"
    key+="|${QD_MONITOR:-}"
    if [ -n "${QD_PID:-}" ] && [ "$QD_LOADED" = "$key" ]; then
        return 0
    fi
    qd_stop
    qd_start "$@" || return 1
    QD_LOADED=$key
}

qd_stop() {
    QD_LOADED=""
    [ -n "${QD_PID:-}" ] || return 0
    local i
    kill -TERM "$QD_PID" 2>/dev/null
    for i in $(seq 1 40); do
        kill -0 "$QD_PID" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$QD_PID" 2>/dev/null; then
        kill -KILL "$QD_PID" 2>/dev/null
        sleep 0.1
    fi
    QD_PID=""
}

# The number of search operations the server has completed (QD_MONITOR=1), this one's own
# search not included: the difference of two calls, less one (the first call's own search),
# is the number of searches made in between.
qd_searches() {
    ldapsearch -x -H "$QD_URI" -LLL -b "cn=Search,cn=Operations,cn=Monitor" -s base \
        monitorOpCompleted | sed -n 's/^monitorOpCompleted: //p'
}

qd_add() {
    QD_LOADED=""
    ldapadd -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -f "$1" >/dev/null
}

qd_modify() {
    QD_LOADED=""
    ldapmodify -x -H "$QD_URI" -D "$QD_ADMIN" -w "$QD_PASSWORD" -f "$1" >/dev/null
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case ${1:-} in
    start)
        dir=$2
        shift 2
        qd_start "$dir" "$@"
        echo "$QD_PORT"
        ;;
    stop)
        QD_PID=$(cat "$2/qd.pid" 2>/dev/null || true)
        qd_stop
        ;;
    *)
        echo "usage: slapd.sh start DIR [LDIF...] | stop DIR" >&2
        exit 2
        ;;
    esac
fi
