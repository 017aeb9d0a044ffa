#!/usr/bin/env bash
# rootgate through a set-user-id root copy of the test build, run as the web server's user
# `httpd` (and as another user), against a private directory server and, for the services,
# the real at with an atd of the test.
#
# Usage: rootgate_test.sh files|service PATH/TO/rootgate_testbuild TESTROOT PATH/TO/rootgate_noargv
#                         [PATH/TO/rootgate]
#   TESTROOT is the directory the test build was compiled to work below; it is made afresh.
#
# The test runs in a private mount namespace: its passwd and group files carry the test users,
# at's spool and /run are private tmpfs mounts (so the queued jobs and atd's pid file are the
# test's own). Leaving the namespace undoes every mount; atd and slapd are stopped by pid.
set -euo pipefail
part=$1
build=$2
root=$3
noargv=$4
installed=${5:-}

if [ "$(id -u)" != 0 ]; then
    echo "SKIP: the rootgate tests need root (set-user-id copy, test users, atd)"
    exit 77
fi
# Into a private mount namespace first (never mount over the host's /run or passwd file).
if [ "$(readlink /proc/self/ns/mnt)" = "$(readlink /proc/1/ns/mnt)" ]; then
    if [ -n "${RG_IN_NAMESPACE:-}" ]; then
        echo "no private mount namespace" >&2
        exit 1
    fi
    exec env RG_IN_NAMESPACE=1 unshare --mount --propagation private bash "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
demo="$here/../../../examples/directory/demo.ldif"
tl_setup

ATD_PID=""
TLS_SLAPD_PID=""
rg_cleanup() {
    [ -z "$TLS_SLAPD_PID" ] || kill "$TLS_SLAPD_PID" 2>/dev/null || true
    if [ -n "$ATD_PID" ]; then
        kill -TERM "$ATD_PID" 2>/dev/null || true
        wait "$ATD_PID" 2>/dev/null || true
    fi
    umount /etc/passwd /etc/group "${ids:-/nonexistent}" 2>/dev/null || true
    umount "$root/etc/ldap" 2>/dev/null || true
    rm -rf "$root" "${bindir:-/nonexistent}"
    tl_cleanup
}
trap rg_cleanup EXIT

# ---------------------------------------------------------------- users, copy, test root
ids=$TL_DIR/ids
mkdir "$ids"
mount -t tmpfs -o size=4m rootgate-ids "$ids"
cp /etc/passwd /etc/group "$ids/"
next_id=60900
add_user() {
    getent passwd "$1" >/dev/null && return 0
    while getent passwd "$next_id" >/dev/null || getent group "$next_id" >/dev/null; do
        next_id=$((next_id + 1))
    done
    echo "$1:x:$next_id:$next_id::/nonexistent:/usr/sbin/nologin" >>"$ids/passwd"
    echo "$1:x:$next_id:" >>"$ids/group"
    next_id=$((next_id + 1))
}
add_user httpd
add_user rgother
mount --bind "$ids/passwd" /etc/passwd
mount --bind "$ids/group" /etc/group

# The set-user-id copy, on a file system that honours the bit.
bindir=$TL_DIR/bin
if findmnt -n -o OPTIONS -T "$TL_DIR" | grep -qw nosuid; then
    bindir=$(dirname "$root")/rootgate-bin
fi
rm -rf "$bindir"
mkdir -p "$bindir"
chmod 755 "$bindir"
copy=$bindir/rootgate
cp "$build" "$copy"
chown root:root "$copy"
chmod 4755 "$copy"
plain=$bindir/rootgate-plain
cp "$build" "$plain"
chmod 755 "$plain"

rm -rf "$root"
mkdir -p "$root/etc/postfix" "$root/etc/ldap" "$root/etc/init.d" "$root/var/imap" \
    "$root/etc/opt/quorelle/msg"
chmod -R 755 "$root"
conf=$root/etc/opt/quorelle/msg/msg.conf

qd_start "$TL_DIR" "$demo"
grep -v '^ADMINPW:' "$TL_DIR/msg.conf" >"$conf"
creds="$QD_ADMIN"$'\n'"$QD_PASSWORD"$'\n'
usage=$'ERROR:1:usage:rootgate\nExactly one of the following must be present:\n  --write=dstname - replace the --write file with the contents of --from\n    --from=srcname\n  --read=filename - send the given filename to stdout\n  --rm=filename - remove the specified file\n  --backup - backup the cyrus mailboxes.db file\n  --service=servicename - give the service name\n      current services are ldap, postfix, cyrus, and leafshow\n    --action=actioname - action to take with the given service\n      can be start, stop, restart, reload\n'

# as USER CMD...: CMD as USER (real and effective ids, the user's groups).
as() {
    local user=$1
    shift
    setpriv --reuid="$user" --regid="$user" --init-groups "$@"
}
# rg ARG...: the set-user-id copy as httpd, with the administrator's DN and password on
# standard input.
rg() { tl_run --stdin "$creds" as httpd "$copy" "$@"; }

same_file() { cmp -s "$1" "$2"; }
stat_is() { [ "$(stat -c "$2" "$1")" = "$3" ]; }
no_temporaries() { ! ls -A "$1" | grep -q 'rootgate-'; }
has_text() { grep -qF -- "$2" "$1"; }

# ================================================================ files part
case_caller() {
    # Refused before msg.conf is read: with no msg.conf, the caller line comes first.
    mv "$conf" "$conf.away"
    tl_run --stdin "$creds" as rgother "$copy" --read=/etc/postfix/main.cf
    tl_expect "other user refused" 1 "" $'ERROR:256:rootgate:must be user root or httpd user to run this command\n'
    tl_run --stdin "$creds" setpriv --reuid=60899 --regid=60899 --clear-groups "$copy" --bogus
    tl_expect "uid without passwd entry refused" 1 "" $'ERROR:256:rootgate:must be user root or httpd user to run this command\n'
    tl_run --stdin "$creds" as httpd "$copy" --read=/etc/postfix/main.cf
    tl_expect "httpd allowed, then msg.conf" 1 "" "ERROR:256:rootgate:Unable to open $conf"$'\n'
    mv "$conf.away" "$conf"
    printf 'relayhost =\n' >"$root/etc/postfix/main.cf"
    rg --read=/etc/postfix/main.cf
    tl_expect "httpd reads" 0 $'relayhost =\n' ""
    tl_run --stdin "$creds" "$build" --read=/etc/postfix/main.cf
    tl_expect "root reads without set-user-id" 0 $'relayhost =\n' ""
    # httpd starting a copy that is not set-user-id: no root rights, said so.
    tl_run --stdin "$creds" as httpd "$plain" --read=/etc/postfix/main.cf
    tl_check "not set-user-id: status" test "$TL_RC" = 1
    tl_check "not set-user-id: message" has_text "$TL_DIR/.err" \
        "ERROR:256:rootgate:Cannot set user id to root (is the program installed set-user-id root?)"
    tl_check "not set-user-id: no output" test -z "$TL_OUT"
}

case_usage() {
    local args
    while IFS= read -r args; do
        # shellcheck disable=SC2086 # each line is one argument vector
        rg $args
        tl_expect "usage: ${args:-no arguments}" 1 "$usage" ""
    done <<'LIST'

--write=/etc/postfix/main.cf
--from=/etc/hosts
--read=/etc/passwd
--read=/etc/postfix/../postfix/main.cf
--write=/etc/passwd --from=/etc/hosts
--service=ldap --action=stop
--service=ldap --action=start
--service=ldap --action=reload
--service=cyrus --action=reload
--service=postfix
--service=httpd --action=restart
--service=postfix --action=bounce
--action=restart
--read=/etc/postfix/main.cf --read=/etc/ldap/slapd.conf
--read=/etc/postfix/main.cf --backupdb
--backupdb --backupdb
--service=postfix --action=stop --write=/etc/postfix/main.cf --from=/etc/hosts
--rm=/etc/postfix/main.cf
--backup
--read
--bogus
LIST
}

case_values() {
    local name
    for name in write from read service action; do
        rg "--$name="
        tl_expect "--$name= empty" 1 "" "ERROR:256:rootgate:--$name cannot be null value"$'\n'
    done
    # The value is checked where it stands, before the rest of the line is looked at.
    rg --read=/etc/postfix/main.cf --action=
    tl_expect "empty --action with --read" 1 "" $'ERROR:256:rootgate:--action cannot be null value\n'
    rg "--read=/$(printf 'a%.0s' $(seq 127))"
    tl_expect "128-byte value" 1 "" $'ERROR:256:rootgate:--read length exceeds maximum value of 128\n'
    rg "--read=/$(printf 'a%.0s' $(seq 126))"
    tl_expect "127-byte value passes the check" 1 "$usage" ""
    rg --service=$'post\tfix' --action=start
    tl_expect "control byte" 1 "" $'ERROR:256:rootgate:--service=post\tfix contains invalid characters\n'
}

case_authentication() {
    printf 'relayhost =\n' >"$root/etc/postfix/main.cf"
    tl_run --stdin $'cn=someone,dc=quorelle,dc=test\nsecret\n' as httpd "$copy" --read=/etc/postfix/main.cf
    tl_expect "other DN" 1 "" $'ERROR:256:rootgate:Must authenticate to ldap as the admin user\n'
    tl_run --stdin "$QD_ADMIN"$'\n\n' as httpd "$copy" --read=/etc/postfix/main.cf
    tl_expect "empty password" 1 "" $'ERROR:256:rootgate:Must authenticate to ldap as the admin user\n'
    tl_run --stdin "$QD_ADMIN"$'\nwrong\n' as httpd "$copy" --read=/etc/postfix/main.cf
    tl_expect "wrong password" 1 "" $'ERROR:256:Bind failed (49): Invalid credentials\n'
    # Refused before any bind: with an unreachable server a bind would say so.
    cp "$conf" "$conf.good"
    sed -i 's/^LDAPHOST:.*/LDAPHOST:127.0.0.1:1/' "$conf"
    tl_run --stdin $'cn=someone,dc=quorelle,dc=test\nsecret\n' as httpd "$copy" --read=/etc/postfix/main.cf
    tl_expect "other DN, no bind" 1 "" $'ERROR:256:rootgate:Must authenticate to ldap as the admin user\n'
    # The password from msg.conf: nothing read from standard input.
    cp "$TL_DIR/msg.conf" "$conf"
    tl_run as httpd "$copy" --read=/etc/postfix/main.cf
    tl_expect "ADMINPW configured" 0 $'relayhost =\n' ""
    mv "$conf.good" "$conf"
}

case_read() {
    {
        printf 'myhostname = mail.example.com\n'
        printf 'x%.0s' $(seq 3000)
        printf '\nlast line without newline'
    } >"$root/etc/postfix/main.cf"
    printf 'include\0/etc/ldap/schema/core.schema\n\0\0tail' >"$root/etc/ldap/slapd.conf"
    local f
    for f in /etc/postfix/main.cf /etc/ldap/slapd.conf; do
        rg --read=$f
        tl_expect "read $f: status" 0 - ""
        tl_check "read $f: bytes" same_file "$TL_DIR/.out" "$root$f"
    done
    rm "$root/etc/ldap/slapd.conf"
    rg --read=/etc/ldap/slapd.conf
    tl_expect "read a missing file" 1 "" ""
    mkfifo "$root/etc/ldap/slapd.conf"
    tl_run --stdin "$creds" timeout 20 setpriv --reuid=httpd --regid=httpd --init-groups "$copy" \
        --read=/etc/ldap/slapd.conf
    tl_expect "read a FIFO: refused, not blocked" 1 "" ""
    rm "$root/etc/ldap/slapd.conf"
}

case_write() {
    local pf=$root/etc/postfix/main.cf ld=$root/etc/ldap/slapd.conf src=$TL_DIR/src
    printf 'old contents\n' >"$pf"
    chown root:54321 "$pf"
    chmod 0640 "$pf"
    local inode
    inode=$(stat -c %i "$pf")
    { printf 'relayhost = [mx.example.com]\n'; printf 'y%.0s' $(seq 5000); printf '\nend'; } >"$src"
    chown httpd: "$src"
    chmod 0600 "$src"
    rg --write=/etc/postfix/main.cf --from="$src"
    tl_expect "write main.cf" 0 "" ""
    tl_check "main.cf: contents" same_file "$src" "$pf"
    tl_check "main.cf: owner, group, mode kept" stat_is "$pf" %u:%g:%a 0:54321:640
    tl_check "main.cf: replaced, not rewritten" tl_not stat_is "$pf" %i "$inode"
    tl_check "main.cf: no temporary file" no_temporaries "$root/etc/postfix"

    # A missing target is created (root, 0644); binary contents are copied exactly.
    rm -f "$ld"
    printf 'database\0mdb\n\0' >"$src"
    rg --write=/etc/ldap/slapd.conf --from="$src"
    tl_expect "write slapd.conf" 0 "" ""
    tl_check "slapd.conf: contents" same_file "$src" "$ld"
    tl_check "slapd.conf: new file root 0644" stat_is "$ld" %u:%g:%a 0:0:644
    rg --read=/etc/ldap/slapd.conf
    tl_check "slapd.conf: read back" same_file "$TL_DIR/.out" "$src"

    # The source is opened with the caller's rights: root-only files stay unreadable.
    cp "$pf" "$TL_DIR/before"
    printf 'root only\n' >"$TL_DIR/secret"
    chmod 0600 "$TL_DIR/secret"
    ln -s /etc/shadow "$TL_DIR/shadow-link"
    local s
    for s in "$TL_DIR/secret" /etc/shadow "$TL_DIR/shadow-link" "$TL_DIR/none" "$TL_DIR"; do
        rg --write=/etc/postfix/main.cf --from="$s"
        tl_expect "source $s refused" 1 "" "ERROR:256:rootgate:Cannot open $s for read"$'\n'
    done
    mkfifo "$TL_DIR/fifo"
    chmod 666 "$TL_DIR/fifo"
    tl_run --stdin "$creds" timeout 20 setpriv --reuid=httpd --regid=httpd --init-groups "$copy" \
        --write=/etc/postfix/main.cf --from="$TL_DIR/fifo"
    tl_expect "FIFO source refused, not blocked" 1 "" "ERROR:256:rootgate:Cannot open $TL_DIR/fifo for read"$'\n'
    tl_check "refused sources: main.cf unchanged" same_file "$TL_DIR/before" "$pf"
    # A file the caller may read through its group.
    printf 'group readable\n' >"$TL_DIR/grp"
    chown root:httpd "$TL_DIR/grp"
    chmod 0640 "$TL_DIR/grp"
    rg --write=/etc/postfix/main.cf --from="$TL_DIR/grp"
    tl_expect "source readable through the caller's group" 0 "" ""
    tl_check "group-readable source copied" same_file "$TL_DIR/grp" "$pf"

    # A target that is a symbolic link or no regular file is refused and left alone.
    printf 'elsewhere\n' >"$TL_DIR/elsewhere"
    mv "$pf" "$TL_DIR/pf.saved"
    ln -s "$TL_DIR/elsewhere" "$pf"
    rg --write=/etc/postfix/main.cf --from="$src"
    tl_expect "symlink target refused" 1 "" "ERROR:256:rootgate:Cannot open $pf for write"$'\n'
    tl_check "symlink kept" test -L "$pf"
    tl_check "link target unchanged" test "$(cat "$TL_DIR/elsewhere")" = elsewhere
    rm "$pf"
    mkdir "$pf"
    rg --write=/etc/postfix/main.cf --from="$src"
    tl_expect "directory target refused" 1 "" "ERROR:256:rootgate:Cannot open $pf for write"$'\n'
    rmdir "$pf"
    mv "$TL_DIR/pf.saved" "$pf"

    # The caller's override of msg.conf is not honoured by the set-user-id program.
    printf 'LDAPHOST:127.0.0.1:1\nADMINDN:cn=evil\nLDAPSUFFIX:dc=evil\n' >"$TL_DIR/evil.conf"
    printf 'new\n' >"$src"
    tl_run --stdin "$creds" env QUORELLE_MSG_CONF="$TL_DIR/evil.conf" \
        setpriv --reuid=httpd --regid=httpd --init-groups "$copy" \
        --write=/etc/postfix/main.cf --from="$src"
    tl_expect "msg.conf override ignored" 0 "" ""
    tl_check "written with the installed msg.conf" same_file "$src" "$pf"
}

case_forced_failures() {
    local pf=$root/etc/postfix/main.cf ld=$root/etc/ldap/slapd.conf src=$TL_DIR/big
    head -c 300000 /dev/urandom >"$src"
    chmod 644 "$src"
    head -c 5000 /dev/urandom >"$pf"
    cp "$pf" "$TL_DIR/before"
    # A file-size limit of the caller: the copy fails halfway.
    tl_run --stdin "$creds" bash -c 'ulimit -f 64; exec "$@"' limit \
        setpriv --reuid=httpd --regid=httpd --init-groups "$copy" \
        --write=/etc/postfix/main.cf --from="$src"
    tl_expect "file-size limit" 1 "" "ERROR:256:rootgate:Cannot write $pf: File too large"$'\n'
    tl_check "file-size limit: original whole" same_file "$TL_DIR/before" "$pf"
    tl_check "file-size limit: no temporary file" no_temporaries "$root/etc/postfix"

    # A full file system under the target.
    mount -t tmpfs -o size=128k,mode=755 rootgate-full "$root/etc/ldap"
    head -c 70000 /dev/urandom >"$ld"
    cp "$ld" "$TL_DIR/before"
    rg --write=/etc/ldap/slapd.conf --from="$src"
    tl_expect "full file system" 1 "" "ERROR:256:rootgate:Cannot write $ld: No space left on device"$'\n'
    tl_check "full file system: original whole" same_file "$TL_DIR/before" "$ld"
    tl_check "full file system: no temporary file" no_temporaries "$root/etc/ldap"
    umount "$root/etc/ldap"
}

case_backup() {
    local db=$root/var/imap/mailboxes.db copy_db=$root/var/opt/quorelle/msg/mailboxes.db
    rm -rf "$root/var/opt"
    printf 'user.alice\0\1\2 default alice lrswipcda\n\0' >"$db"
    chmod 600 "$db"
    rg --backupdb
    tl_expect "backup: data directory made" 0 "" ""
    tl_check "backup: msg directory 0755" stat_is "$root/var/opt/quorelle/msg" %a 755
    tl_check "backup: exact copy" same_file "$db" "$copy_db"
    tl_check "backup: new copy root 0644" stat_is "$copy_db" %u:%g:%a 0:0:644
    head -c 20000 /dev/urandom >"$db"
    chmod 0640 "$copy_db"
    rg --backupdb
    tl_expect "backup again" 0 "" ""
    tl_check "backup again: exact copy" same_file "$db" "$copy_db"
    tl_check "backup again: mode kept" stat_is "$copy_db" %a 640
    tl_check "backup: no temporary file" no_temporaries "$root/var/opt/quorelle/msg"
    rm "$copy_db"
    ln -s "$TL_DIR/elsewhere-db" "$copy_db"
    rg --backupdb
    tl_expect "backup: symlink copy refused" 1 "" "ERROR:256:rootgate:Cannot open $copy_db for write"$'\n'
    tl_check "backup: nothing written through the link" test ! -e "$TL_DIR/elsewhere-db"
    rm "$copy_db" "$db"
    rg --backupdb
    tl_expect "backup: no mailbox list" 1 "" "ERROR:256:rootgate:Cannot open $db for read"$'\n'
}

case_descriptors() {
    tl_run as httpd "$noargv" "$copy"
    tl_expect "empty argument vector" 1 "" $'ERROR:256:rootgate:empty argument vector\n'
    printf 'relayhost =\n' >"$root/etc/postfix/main.cf"
    # With standard output closed, the file read must not become descriptor 1: run by root
    # (no set-user-id start), descriptor 1 is /dev/null and the read succeeds.
    tl_run --stdin "$creds" bash -c 'exec "$@" >&-' closed "$build" --read=/etc/postfix/main.cf
    tl_expect "closed standard output" 0 "" ""
    # Started set-user-id, the C library puts a descriptor that cannot be written there: the
    # output is lost, and that is reported.
    tl_run --stdin "$creds" bash -c 'exec "$@" >&-' closed \
        setpriv --reuid=httpd --regid=httpd --init-groups "$copy" --read=/etc/postfix/main.cf
    tl_expect "closed standard output, set-user-id" 1 "" \
        $'ERROR:256:rootgate:Cannot write standard output: Bad file descriptor\n'
    # Standard input closed as well: the password cannot be read from a file of ours.
    tl_run bash -c 'exec "$@" <&- >&-' closed "$build" --read=/etc/postfix/main.cf
    tl_expect "closed standard input" 1 "" $'ERROR:256:rootgate:Must authenticate to ldap as the admin user\n'

}

# The program as installed (system paths): set-user-id it ignores the caller's msg.conf.
case_installed() {
    [ -n "$installed" ] || return 0
    if [ -e /etc/opt/quorelle/msg/msg.conf ]; then
        echo "note: /etc/opt/quorelle/msg/msg.conf exists; installed-program case skipped"
        return 0
    fi
    local real=$bindir/rootgate-installed
    cp "$installed" "$real"
    chown root:root "$real"
    chmod 4755 "$real"
    tl_run env QUORELLE_MSG_CONF="$conf" setpriv --reuid=rgother --regid=rgother --init-groups \
        "$real" --read=/etc/postfix/main.cf
    tl_expect "installed: other user refused" 1 "" $'ERROR:256:rootgate:must be user root or httpd user to run this command\n'
    tl_run env QUORELLE_MSG_CONF="$conf" setpriv --reuid=httpd --regid=httpd --init-groups \
        "$real" --read=/etc/postfix/main.cf
    tl_expect "installed: override ignored while set-user-id" 1 "" \
        $'ERROR:256:rootgate:Unable to open /etc/opt/quorelle/msg/msg.conf\n'
    # Started by root without the set-user-id step, the override is honoured.
    tl_run env QUORELLE_MSG_CONF="$conf" "$installed" --bogus
    tl_expect "installed: override honoured for root" 1 "$usage" ""
}

# A set-user-id rootgate reads no ldaprc and no LDAP* variable of its caller: a caller cannot
# turn the certificate check off or choose the CA certificates. The library itself honours them
# (ldapsearch, the control), and rootgate works over TLS with the CA of msg.conf.
case_caller_ldap_settings() {
    local tls=$TL_DIR/tls saved_pid=$QD_PID
    mkdir -p "$tls/home" "$tls/cwd"
    qd_make_certs "$tls"
    QD_PID=""
    QD_TLS_CERT="$tls/server.pem" QD_TLS_KEY="$tls/server.key" QD_LDAPS=1 QD_SECURITY=ssf=1 \
        qd_start "$tls" "$demo"
    TLS_SLAPD_PID=$QD_PID
    local ldaps=$QD_LDAPS_URI plain="ldap://127.0.0.1:$QD_PORT"
    QD_PID=$saved_pid
    printf 'TLS_REQCERT never\nTLS_CACERT %s\n' "$tls/ca.pem" >"$tls/rc"
    cp "$tls/rc" "$tls/home/.ldaprc"
    cp "$tls/rc" "$tls/home/ldaprc"
    cp "$tls/rc" "$tls/cwd/ldaprc"
    cp "$tls/rc" "$tls/cwd/.ldaprc"
    chmod -R a+rX "$tls"
    printf '%s\n' "$QD_SUFFIX" >"$root/etc/postfix/main.cf"
    cp "$conf" "$conf.saved"
    printf 'LDAPURI:%s\nADMINDN:%s\nLDAPSUFFIX:%s\n' "$ldaps" "$QD_ADMIN" "$QD_SUFFIX" >"$conf"
    local env=(env HOME="$tls/home" LDAPRC="$tls/rc" LDAPCONF="$tls/rc" LDAPTLS_REQCERT=never
        LDAPTLS_CACERT="$tls/ca.pem")
    tl_run "${env[@]}" ldapsearch -x -LLL -H "$ldaps" -b "$QD_SUFFIX" -s base dn
    tl_expect "the library honours the caller's settings" 0 "dn: $QD_SUFFIX"$'\n\n' ""
    tl_run --stdin "$creds" bash -c 'cd "$1" && shift && exec "$@"' bash "$tls/cwd" \
        "${env[@]}" setpriv --reuid=httpd --regid=httpd --init-groups "$copy" --read=/etc/postfix/main.cf
    tl_check "set-user-id: caller's settings ignored (status $TL_RC)" test "$TL_RC" = 1
    tl_check "set-user-id: nothing printed" test -z "$TL_OUT"
    tl_check "set-user-id: the certificate is checked" \
        grep -q "^ERROR:256:Bind failed (-1): Can't contact LDAP server ($ldaps: TLS connect: TLS handshake failed)" <<<"$TL_ERR"
    printf 'LDAPCACERT:%s\n' "$tls/ca.pem" >>"$conf"
    rg --read=/etc/postfix/main.cf
    tl_expect "over ldaps with the CA of msg.conf" 0 "$QD_SUFFIX"$'\n' ""
    printf 'LDAPURI:%s\nLDAPSTARTTLS:yes\n' "$plain" >>"$conf"
    rg --read=/etc/postfix/main.cf
    tl_expect "over StartTLS" 0 "$QD_SUFFIX"$'\n' ""
    # The administrator's password is proved by a simple bind even where the tools use SASL.
    printf 'LDAPSASLMECH:EXTERNAL\n' >>"$conf"
    tl_run --stdin "$QD_ADMIN"$'\nwrong\n' as httpd "$copy" --read=/etc/postfix/main.cf
    tl_expect "no SASL for rootgate" 1 "" $'ERROR:256:Bind failed (49): Invalid credentials\n'
    mv "$conf.saved" "$conf"
    kill "$TLS_SLAPD_PID"
    TLS_SLAPD_PID=""
}

# ================================================================ service part
calls=$TL_DIR/calls
make_init_scripts() {
    local s
    for s in postfix cyrus ldap leafshow; do
        cat >"$root/etc/init.d/$s" <<SCRIPT
#!/bin/sh
echo "\$(basename "\$0") \$1 \$(date +%s.%N)" >>"$calls"
env >"$TL_DIR/env.$s.\$1"
umask >"$TL_DIR/umask.$s.\$1"
pwd >"$TL_DIR/pwd.$s.\$1"
SCRIPT
        chmod 755 "$root/etc/init.d/$s"
    done
    : >"$calls"
}

# Waits until the calls file has N lines (the at jobs ran).
wait_calls() {
    local i
    for i in $(seq 1 100); do
        [ "$(wc -l <"$calls")" -ge "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

call_names() { cut -d' ' -f1,2 "$calls"; }

private_at() {
    mount -t tmpfs -o size=4m,mode=1770,uid=1,gid=1 rootgate-atjobs /var/spool/cron/atjobs
    mount -t tmpfs -o size=4m,mode=1770,uid=1,gid=1 rootgate-atspool /var/spool/cron/atspool
    mount -t tmpfs -o size=4m,mode=755 rootgate-run /run
    install -o daemon -g daemon -m 600 /dev/null /var/spool/cron/atjobs/.SEQ
}

start_atd() {
    /usr/sbin/atd -f &
    ATD_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s /run/atd.pid ] && return 0
        sleep 0.05
    done
    echo "atd did not start" >&2
    return 1
}

case_no_atd() {
    rg --service=postfix --action=reload
    tl_check "no atd: status 1" test "$TL_RC" = 1
    tl_check "no atd: warning" has_text "$TL_DIR/.err" \
        "ERROR:256:rootgate:warning: no atd is running: $root/etc/init.d/postfix reload waits in the at queue"
    tl_check "no atd: job left in the queue" test "$(ls /var/spool/cron/atjobs | wc -l)" = 1
    rm -f /var/spool/cron/atjobs/[a-z]*
}

case_restart() {
    : >"$calls"
    rg --service=ldap --action=restart
    tl_expect "ldap restart" 0 "" -
    tl_check "ldap restart ran" wait_calls 1
    tl_check "ldap restart: the one call" test "$(call_names)" = "ldap restart"
    : >"$calls"
    rg --service=cyrus --action=stop
    tl_expect "cyrus stop" 0 "" -
    tl_check "cyrus stop ran" wait_calls 1
    tl_check "cyrus stop: the one call" test "$(call_names)" = "cyrus stop"
}

case_start_hostile() {
    : >"$calls"
    local evil=$TL_DIR/evil
    mkdir -p "$evil"
    chmod 755 "$evil"
    for p in at sh bash echo sleep; do
        printf '#!/bin/sh\ntouch %s/ran-%s\nexit 0\n' "$evil" "$p" >"$evil/$p"
        chmod 755 "$evil/$p"
    done
    cat >"$evil/evil.c" <<'C'
#include <stdio.h>
#include <string.h>
/* Marks every program it is loaded into, except the test's own launchers. */
__attribute__((constructor)) static void evil(void) {
    char comm[64] = "";
    FILE* c = fopen("/proc/self/comm", "r");
    if (c) {
        if (!fgets(comm, sizeof comm, c)) comm[0] = 0;
        fclose(c);
    }
    if (!strcmp(comm, "bash\n") || !strcmp(comm, "setpriv\n")) return;
    FILE* f = fopen(EVIL_MARK, "w");
    if (f) { fputs(comm, f); fclose(f); }
}
C
    local have_so=0
    if cc -shared -fPIC -DEVIL_MARK="\"$evil/ran-preload\"" -o "$evil/evil.so" "$evil/evil.c" 2>/dev/null; then
        have_so=1
    fi
    local t0 t1
    t0=$(date +%s.%N)
    tl_run --stdin "$creds" env PATH="$evil:/usr/bin:/bin" IFS=/ LD_PRELOAD="$evil/evil.so" \
        LD_LIBRARY_PATH="$evil" QUORELLE_MSG_CONF="$TL_DIR/evil.conf" SHELL="$evil/sh" \
        BASH_ENV="$evil/env" ENV="$evil/env" HOSTILE_MARK=1 \
        /bin/bash -c 'umask 077; cd "$0"; exec /usr/bin/setpriv --reuid=httpd --regid=httpd --init-groups "$@"' \
        "$evil" "$copy" --service=postfix --action=start
    t1=$(date +%s.%N)
    tl_expect "postfix start" 0 "" -
    tl_check "postfix start: two 3-second pauses" awk -v a="$t0" -v b="$t1" 'BEGIN { exit !(b - a >= 6) }'
    tl_check "postfix start: both jobs ran" wait_calls 2
    tl_check "postfix start: stop, then start" test "$(call_names | tr '\n' ,)" = "postfix stop,postfix start,"
    tl_check "postfix start: queued 3 s apart" awk 'NR == 1 { a = $3 } NR == 2 { exit !($3 - a >= 2.5) }' "$calls"
    local e=$TL_DIR/env.postfix.start
    tl_check "job: fixed PATH" grep -qx 'PATH=/usr/sbin:/usr/bin:/sbin:/bin' "$e"
    tl_check "job: no caller variables" tl_not grep -qE '^(LD_PRELOAD|LD_LIBRARY_PATH|QUORELLE_MSG_CONF|HOSTILE_MARK|BASH_ENV|ENV)=' "$e"
    tl_check "job: no caller IFS" tl_not grep -q '^IFS=/' "$e"
    tl_check "job: umask 022" test "$(cat "$TL_DIR/umask.postfix.start")" = 0022
    tl_check "job: working directory /" test "$(cat "$TL_DIR/pwd.postfix.start")" = /
    tl_check "caller's programs never ran" test -z "$(cd "$evil" && ls ran-* 2>/dev/null)"
    [ $have_so = 1 ] || echo "note: no compiler for the LD_PRELOAD library; that part checked only by the job environment"
}

case_at_fails() {
    mount -o remount,ro /var/spool/cron/atjobs
    : >"$calls"
    rg --service=cyrus --action=restart
    tl_check "at fails: its status" test "$TL_RC" = 1
    tl_check "at fails: message" has_text "$TL_DIR/.err" \
        "ERROR:256:rootgate:/usr/bin/at failed with status 1: $root/etc/init.d/cyrus restart not queued"
    mount -o remount,rw /var/spool/cron/atjobs
}

case_dunmere() {
    local d=$root/dunmere/usr/bin
    mkdir -p "$d"
    cat >"$d/at" <<SCRIPT
#!/bin/sh
pwd >"$TL_DIR/dm.pwd"
echo "\$0 \$*" >"$TL_DIR/dm.args"
cat >"$TL_DIR/dm.job"
env >"$TL_DIR/dm.env"
case \$(cat "$TL_DIR/dm.how") in
ok) echo "job 7 at now" >&2; exit 0 ;;
fail) exit 3 ;;
kill) kill -9 \$\$ ;;
esac
SCRIPT
    chmod 755 "$d/at"
    echo ok >"$TL_DIR/dm.how"
    rg --service=leafshow --action=reload
    tl_expect "other system: queued" 0 "" $'job 7 at now\n'
    tl_check "other system: job text" test "$(cat "$TL_DIR/dm.job")" = \
        "(cd /linux/bin; ./bash -c '/etc/rc.d/init.d/leafshow reload')"
    tl_check "other system: at started in its directory" test "$(cat "$TL_DIR/dm.pwd")" = "$d"
    tl_check "other system: at now" test "$(cat "$TL_DIR/dm.args")" = "$d/at now"
    tl_check "other system: fixed environment" tl_not grep -qvE '^(PATH|PWD|SHLVL|_)=' "$TL_DIR/dm.env"
    echo fail >"$TL_DIR/dm.how"
    rg --service=leafshow --action=stop
    tl_expect "other system: at's status passed on" 3 "" \
        "ERROR:256:rootgate:$d/at failed with status 3: (cd /linux/bin; ./bash -c '/etc/rc.d/init.d/leafshow stop') not queued"$'\n'
    echo kill >"$TL_DIR/dm.how"
    rg --service=postfix --action=restart
    tl_expect "other system: at killed is a failure" 137 "" \
        "ERROR:256:rootgate:$d/at was killed by signal 9: (cd /linux/bin; ./bash -c '/etc/rc.d/init.d/postfix restart') not queued"$'\n'
    rm -rf "$root/dunmere"
}

case $part in
files)
    tl_case "caller check" case_caller
    tl_case "usage" case_usage
    tl_case "values" case_values
    tl_case "authentication" case_authentication
    tl_case "read" case_read
    tl_case "caller's LDAP settings" case_caller_ldap_settings
    tl_case "write" case_write
    tl_case "forced failures" case_forced_failures
    tl_case "backup" case_backup
    tl_case "descriptors and argument vector" case_descriptors
    tl_case "installed program" case_installed
    ;;
service)
    make_init_scripts
    private_at
    tl_case "no atd" case_no_atd
    start_atd
    tl_case "restart and stop" case_restart
    tl_case "start with a hostile environment" case_start_hostile
    tl_case "at fails" case_at_fails
    tl_case "other system's at" case_dunmere
    ;;
*)
    echo "unknown part $part" >&2
    exit 2
    ;;
esac
tl_done
