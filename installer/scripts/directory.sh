#!/bin/sh
# Helper of the Quorelle installation for the directory server, run by the install file's
# process actions. Every path is below the target root TARGET; nothing here reads a password
# from its arguments (passwords arrive in files the installer fills and removes).
#
#   directory.sh hash FILE               print the {SSHA} hash of the password in FILE
#   directory.sh ours TARGET PORT        status 0 when the directory server of this
#                                        installation runs on PORT (pid and args files)
#   directory.sh config TARGET LDIF      create TARGET/etc/quorelle/slapd.d from LDIF,
#                                        unless it is there already (the database is kept)
#   directory.sh load TARGET SUFFIX LDIF PORT ADMINDN PWFILE
#                                        add the suffix entry and the entries of LDIF that
#                                        are missing: offline with slapadd when the server
#                                        is down, through the server when it runs
#   directory.sh start TARGET PORT       start slapd on PORT (a sandbox's on 127.0.0.1 only)
#                                        as the invoking user unless the server of this
#                                        installation runs; wait until it answers
#   directory.sh stop TARGET             stop the server of this installation
set -eu
PATH=$PATH:/usr/sbin:/sbin
export PATH
umask 077

pidfile() { echo "$1/var/run/quorelle/slapd.pid"; }

running() { # TARGET: the pid of this installation's slapd, when it runs
    pid=$(cat "$(pidfile "$1")" 2>/dev/null) || return 1
    [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = slapd ] || return 1
    echo "$pid"
}

# The suffix entry for SUFFIX: its first naming attribute decides the object classes.
suffix_entry() {
    rdn=${1%%,*}
    attr=${rdn%%=*}
    value=${rdn#*=}
    echo "dn: $1"
    case $(echo "$attr" | tr 'A-Z' 'a-z') in
    dc) printf 'objectClass: dcObject\nobjectClass: organization\ndc: %s\no: %s\n' "$value" "$value" ;;
    o) printf 'objectClass: organization\no: %s\n' "$value" ;;
    ou) printf 'objectClass: organizationalUnit\nou: %s\n' "$value" ;;
    *) echo "directory.sh: a suffix beginning with $attr= is not supported (dc=, o= or ou=)" >&2
       exit 1 ;;
    esac
    echo
}

case ${1:-} in
hash)
    pw=$(cat "$2")
    tmp=$(mktemp)
    printf '%s' "$pw" >"$tmp"
    slappasswd -h '{SSHA}' -T "$tmp"
    rm -f "$tmp"
    ;;
ours)
    pid=$(running "$2") || { echo "no directory server of this installation runs below $2" >&2; exit 1; }
    grep -q ":$3/" "$2/var/run/quorelle/slapd.args" 2>/dev/null ||
        { echo "the directory server of this installation (pid $pid) does not listen on port $3" >&2; exit 1; }
    echo "the directory server of this installation (pid $pid) listens on port $3"
    ;;
config)
    d=$2/etc/quorelle/slapd.d
    if [ -f "$d/cn=config.ldif" ]; then
        echo "kept the directory configuration in $d"
        exit 0
    fi
    rm -rf "$d"
    mkdir -p "$d" "$2/var/lib/quorelle/ldap" "$2/var/run/quorelle"
    slapadd -n0 -F "$d" -l "$3" >/dev/null
    echo "created the directory configuration in $d"
    ;;
load)
    target=$2 suffix=$3 ldif=$4 port=$5 admindn=$6
    all=$(mktemp) pw=$(mktemp)
    trap 'rm -f "$all" "$pw" "$all.out"' EXIT
    printf '%s' "$(cat "$7")" >"$pw"
    { suffix_entry "$suffix"; cat "$ldif"; } >"$all"
    if running "$target" >/dev/null; then
        # Through the running server: ldapadd -c reports entries already present and goes on.
        ldapadd -c -x -H "ldap://127.0.0.1:$port/" -D "$admindn" -y "$pw" -f "$all" >"$all.out" 2>&1 || true
        if grep '^ldap_add:' "$all.out" | grep -qv 'Already exists'; then
            cat "$all.out" >&2
            exit 1
        fi
        have=$(ldapsearch -LLL -o ldif-wrap=no -x -H "ldap://127.0.0.1:$port/" -b "$suffix" dn 2>/dev/null | grep -i '^dn' || true)
    else
        # Offline: slapadd -c skips the entries that the database holds already.
        slapadd -c -q -F "$target/etc/quorelle/slapd.d" -b "$suffix" -l "$all" >"$all.out" 2>&1 || true
        have=$(slapcat -o ldif-wrap=no -F "$target/etc/quorelle/slapd.d" -b "$suffix" 2>/dev/null | grep -i '^dn' || true)
    fi
    # Every entry of the file must be in the directory now.
    missing=$(grep -i '^dn' "$all" | while IFS= read -r dn; do
        printf '%s\n' "$have" | grep -qixF "$dn" || echo "$dn"
    done)
    if [ -n "$missing" ]; then
        echo "these entries could not be added:" >&2
        printf '%s\n' "$missing" >&2
        cat "$all.out" >&2
        exit 1
    fi
    echo "the directory below $suffix holds the base entries ($(grep -ci '^dn' "$all") checked)"
    ;;
start)
    if pid=$(running "$2"); then
        echo "the directory server of this installation runs already (pid $pid)"
        exit 0
    fi
    # A sandbox's server listens on the loopback address only, a host's on every address.
    if [ "$2" = / ]; then url="ldap://:$3/"; else url="ldap://127.0.0.1:$3/"; fi
    mkdir -p "$2/var/run/quorelle"
    rm -f "$(pidfile "$2")"
    slapd -F "$2/etc/quorelle/slapd.d" -h "$url" ||
        { echo "slapd did not start on $url (status $?; its messages are in the system log)" >&2; exit 1; }
    i=0
    while [ $i -lt 200 ]; do
        if [ -s "$(pidfile "$2")" ] && ldapsearch -x -H "ldap://127.0.0.1:$3/" -b "" -s base >/dev/null 2>&1; then
            echo "started the directory server (pid $(cat "$(pidfile "$2")")) on $url"
            exit 0
        fi
        sleep 0.05
        i=$((i + 1))
    done
    echo "the directory server did not answer on $url" >&2
    exit 1
    ;;
stop)
    pid=$(running "$2") || { echo "no directory server of this installation runs"; exit 0; }
    kill -TERM "$pid"
    i=0
    while [ $i -lt 100 ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.05
        i=$((i + 1))
    done
    echo "stopped the directory server (pid $pid)"
    ;;
*)
    echo "usage: directory.sh hash|ours|config|load|start|stop ..." >&2
    exit 2
    ;;
esac
