#!/usr/bin/env bash
# The tool library as seen through a real tool binary (zonetally) and a real directory:
# configuration file, password from standard input, bind failures, server down, argument
# checks, filter escaping, incomplete searches, the set-user-id guard of the override.
# Usage: [TL_CASE=NAME] library_test.sh PATH/TO/zonetally
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/slapd.sh"
source "$here/../../testing/testlib.sh"
tool=$1
demo="$here/../../../examples/directory/demo.ldif"
tl_setup

extra="$TL_DIR/extra.ldif"
cat >"$extra" <<LDIF
dn: ou=a*b(c),$QD_SUFFIX
objectClass: organizationalUnit
ou: a*b(c)
description: starry

dn: cn=reader,$QD_SUFFIX
objectClass: organizationalRole
objectClass: simpleSecurityObject
cn: reader
userPassword: readerpw
LDIF
conf="$TL_DIR/msg.conf"
export QUORELLE_MSG_CONF="$conf"
# The fixture of every case; the reader is subject to a size limit of 2 entries.
directory() {
    QD_SIZE_LIMIT=2 qd_use "$TL_DIR" "$demo" "$extra"
    # Without a password: the bind DN and password come from standard input.
    grep -v '^ADMINPW:' "$conf" | sed "s/^ADMINDN:.*/ADMINDN:cn=nobody,$QD_SUFFIX/" >"$TL_DIR/nopw.conf"
}

# --- missing configuration file: reported before the command line is looked at
configuration_file() {
    directory
    QUORELLE_MSG_CONF="$TL_DIR/none/msg.conf" tl_run "$tool" --bogus
    tl_expect "missing msg.conf" 1 "" "ERROR:256:zonetally:Unable to open $TL_DIR/none/msg.conf"$'\n'

    # --- unreadable configuration file (run as an unprivileged user)
    cp "$tool" "$TL_DIR/zonetally"
    chmod 755 "$TL_DIR/zonetally"
    cp "$conf" "$TL_DIR/secret.conf"
    chmod 600 "$TL_DIR/secret.conf"
    QUORELLE_MSG_CONF="$TL_DIR/secret.conf" tl_run setpriv --reuid=65534 --regid=65534 --clear-groups \
        "$TL_DIR/zonetally" --domain=example.org
    tl_expect "unreadable msg.conf" 1 "" "ERROR:256:zonetally:Unable to open $TL_DIR/secret.conf"$'\n'
}

# --- a set-user-id process ignores the override and reads the installed file
setuid_override() {
    directory
    if [ ! -e /etc/opt/quorelle/msg/msg.conf ]; then
        cp "$tool" "$TL_DIR/zonetally-suid"
        chmod 4755 "$TL_DIR/zonetally-suid"
        tl_run setpriv --reuid=65534 --regid=65534 --clear-groups "$TL_DIR/zonetally-suid" --domain=x
        tl_expect "set-user-id ignores override" 1 "" \
            "ERROR:256:zonetally:Unable to open /etc/opt/quorelle/msg/msg.conf"$'\n'
    fi
}

# --- usage and argument checks
arguments() {
    directory
    local usage=$'ERROR:1:usage:zonetally [--domain=value]\n'
    tl_run "$tool" --bogus
    tl_expect "unknown option" 1 "$usage" ""
    tl_run "$tool" --domain=
    tl_expect "empty domain value" 1 "$usage" ""
    tl_run "$tool" --domain
    tl_expect "--domain without value" 1 "$usage" ""
    tl_run "$tool" "--domain=$(printf 'd%.0s' $(seq 127))"
    tl_expect "127-byte argument passes argcheck" 1 "" "ERROR:256:--domain=$(printf 'd%.0s' $(seq 127)) does not exist"$'\n'
    tl_run "$tool" "--domain=$(printf 'd%.0s' $(seq 128))"
    tl_expect "128-byte argument" 1 "" $'ERROR:256:zonetally:--domain length exceeds maximum value of 128\n'
    tl_run "$tool" $'--domain=ex\tample.com'
    tl_expect "control byte" 1 "" $'ERROR:256:zonetally:--domain=ex\tample.com contains invalid characters\n'
}

# --- filter escaping: the value is matched literally, never as a pattern
filter_escaping() {
    directory
    tl_run "$tool" '--domain=a*b(c)'
    tl_expect "escaped domain found" 0 $'domain:a*b(c)\ndescription:starry\nnusers:0\nnaliases:0\n\n' ""
    tl_run "$tool" '--domain=example*'
    tl_expect "asterisk is no wildcard" 1 "" $'ERROR:256:--domain=example* does not exist\n'
    tl_run "$tool" '--domain=*'
    tl_expect "lone asterisk" 1 "" $'ERROR:256:--domain=* does not exist\n'
    tl_run "$tool" '--domain=x)(ou=example.com'
    tl_expect "filter injection" 1 "" $'ERROR:256:--domain=x)(ou=example.com does not exist\n'
}

# --- password from standard input: first line the bind DN, second the password
password_from_stdin() {
    directory
    QUORELLE_MSG_CONF="$TL_DIR/nopw.conf" tl_run --stdin "$QD_ADMIN"$'\n'"$QD_PASSWORD"$'\n' \
        "$tool" --domain=example.org
    tl_expect "DN and password from stdin" 0 $'domain:example.org\nnusers:1\nnaliases:1\n\n' ""
    QUORELLE_MSG_CONF="$TL_DIR/nopw.conf" tl_run --stdin "$QD_ADMIN"$'\n'"$QD_PASSWORD" \
        "$tool" --domain=example.org
    tl_expect "password without final newline" 0 $'domain:example.org\nnusers:1\nnaliases:1\n\n' ""
    QUORELLE_MSG_CONF="$TL_DIR/nopw.conf" tl_run --stdin "$QD_ADMIN"$'\nwrong\n' "$tool" --domain=example.org
    tl_expect "wrong password from stdin" 1 "" $'ERROR:256:Bind failed (49): Invalid credentials\n'
    # Configured password: standard input is not read (a bogus DN there changes nothing).
    tl_run --stdin $'cn=bogus\nbogus\n' "$tool" --domain=example.org
    tl_expect "configured password ignores stdin" 0 $'domain:example.org\nnusers:1\nnaliases:1\n\n' ""
}

# --- bind failure carries the server's result code and the library's text
bind_failure() {
    directory
    sed "s/^ADMINPW:.*/ADMINPW:wrong/" "$conf" >"$TL_DIR/badpw.conf"
    QUORELLE_MSG_CONF="$TL_DIR/badpw.conf" tl_run "$tool"
    tl_expect "bind failure" 1 "" $'ERROR:256:Bind failed (49): Invalid credentials\n'
    # A DN with an empty password is an unauthenticated bind, which the server refuses.
    QUORELLE_MSG_CONF="$TL_DIR/nopw.conf" tl_run --stdin "$QD_ADMIN"$'\n\n' "$tool"
    tl_expect "empty password refused" 1 "" $'ERROR:256:Bind failed (53): Server is unwilling to perform\n'
}

# --- an incomplete answer is a failure, not a short count (reader is subject to the size
incomplete_answer() {
    directory
    # limit of 2 entries; example.com has 3 users)
    sed -e "s/^ADMINDN:.*/ADMINDN:cn=reader,$QD_SUFFIX/" -e "s/^ADMINPW:.*/ADMINPW:readerpw/" "$conf" \
        >"$TL_DIR/reader.conf"
    QUORELLE_MSG_CONF="$TL_DIR/reader.conf" tl_run "$tool" --domain=example.org --domain=example.com
    tl_expect "size limit is a failure" 1 $'domain:example.org\nnusers:1\nnaliases:1\n\n' \
        $'ERROR:256:zonetally:Search failed (4): Size limit exceeded\n'
}

# --- output that cannot be written is a failure
write_error() {
    directory
    set +e
    "$tool" --domain=example.org >/dev/full 2>"$TL_DIR/full.err"
    local rc=$?
    set -e
    tl_check "write error is a failure (status $rc)" test "$rc" = 1
    tl_check "write error message" grep -q '^ERROR:256:zonetally:Cannot write standard output' "$TL_DIR/full.err"
}

# --- server down
server_down() {
    directory
    qd_stop
    tl_run "$tool" --domain=example.org
    tl_expect "server down" 1 "" "ERROR:256:Bind failed (-1): Can't contact LDAP server (ldap://127.0.0.1:$QD_PORT: connect failed)"$'\n'
    sed "s/^LDAPHOST:.*/LDAPHOST:bad host name/" "$conf" >"$TL_DIR/badhost.conf"
    QUORELLE_MSG_CONF="$TL_DIR/badhost.conf" tl_run "$tool"
    tl_expect "unusable host" 1 "" -
}

tl_case "configuration file" configuration_file
tl_case "set-user-id ignores the override" setuid_override
tl_case "usage and argument checks" arguments
tl_case "filter escaping" filter_escaping
tl_case "password from standard input" password_from_stdin
tl_case "bind failure" bind_failure
tl_case "incomplete answer" incomplete_answer
tl_case "write error" write_error
tl_case "server down" server_down
tl_done
