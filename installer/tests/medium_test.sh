#!/usr/bin/env bash
# The product installation from the medium, run unattended into fresh sandbox targets:
# what it installs and configures, the tools administering the result, a second run on the
# same target, and a directory port that another server holds. The medium is copied to a
# directory of its own first (it runs from wherever it lies) and must be unchanged after
# every run (it never writes into itself). Each directory server started is stopped at the
# end, also when a check fails.
# Usage: [TL_CASE=NAME] medium_test.sh MEDIUM_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
testing=$here/../../tools/testing
source "$testing/slapd.sh"
source "$testing/testlib.sh"
medium_src=$(cd "$1" && pwd)

# rulesmith writes as cyrus: without that user on the host the test runs in a private mount
# namespace that has it (the host's user database is left alone).
if [ "$(id -u)" = 0 ]; then
    tl_private_user cyrus "$0" "$@"
fi

tl_setup
medium=$TL_DIR/medium-copy
cp -a "$medium_src" "$medium"
fingerprint() { (cd "$medium" && find . -printf '%p %m %s %T@\n' | sort); }
fingerprint >"$TL_DIR/medium.before"
targets=()
stop_servers() {
    local t
    for t in "${targets[@]}"; do
        sh "$medium/resources/scripts/directory.sh" stop "$t" >/dev/null 2>&1 || true
    done
}
trap 'stop_servers; tl_cleanup' EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# install TARGET PORT [ANSWER...]: the unattended installation with the shipped answers,
# PORT and the further answers given (later lines win). With --verbose, the log messages the
# checks below read are on standard error too.
install() {
    sed "s/^ldap_port=.*/ldap_port=$2/" "$medium/answers.txt" >"$TL_DIR/answers"
    local extra
    for extra in "${@:3}"; do
        sed -i "/^${extra%%=*}=/d" "$TL_DIR/answers"
        echo "$extra" >>"$TL_DIR/answers"
    done
    mkdir -p "$TL_DIR/tmp"
    set +e
    QUORELLE_TARGET=$1 TMPDIR=$TL_DIR/tmp timeout 300 "$medium/install" --console --verbose \
        <"$TL_DIR/answers" >"$TL_DIR/install.out" 2>"$TL_DIR/install.err"
    TL_RC=$?
    set -e
    if grep -qE 'Sanitizer|runtime error:' "$TL_DIR/install.err"; then
        tl_fail "sanitizer report from the installation"
        grep -A30 -E 'Sanitizer|runtime error:' "$TL_DIR/install.err" | head -60 >&2
    fi
}
show_run() {
    echo "--- standard output of the installation:" >&2
    cat "$TL_DIR/install.out" >&2
    echo "--- the last lines of its standard error:" >&2
    tail -n 40 "$TL_DIR/install.err" >&2
}
expect_status() {
    TL_CHECKS=$((TL_CHECKS + 1))
    if [ "$TL_RC" != "$1" ]; then
        tl_fail "$2: status $TL_RC, expected $1"
        show_run
    fi
}
medium_unchanged() {
    fingerprint >"$TL_DIR/medium.after"
    tl_same_file "the medium is unchanged" "$TL_DIR/medium.before" "$TL_DIR/medium.after"
}

suffix="dc=example,dc=org"
domain_dn="ou=example.org,$suffix"
entries() { # PORT: the whole directory below the suffix, sorted, one attribute a line
    ldapsearch -LLL -o ldif-wrap=no -x -H "ldap://127.0.0.1:$1/" -b "$suffix" \
        -D "cn=admin,$suffix" -w change-me-42 '*' entryUUID | sort
}
has_line() { grep -qxF -- "$2" "$1"; }
count_lines() { grep -cxF -- "$2" "$1" || true; }
mode_is() { [ "$(stat -c %a "$1")" = "$2" ]; }
first_rpm_name() { # the package names in the medium's component directory
    local f
    for f in "$medium"/components/*.rpm; do
        [ -e "$f" ] && rpm -qp --qf '%{NAME}\n' "$f" 2>/dev/null
    done
}

fresh_installation() {
    local target port conf pid
    target=$(mktemp -d "$TL_DIR/target-XXXXXX")
    chmod 755 "$target" # rulesmith works below it as cyrus
    targets+=("$target")
    port=$(free_port)
    install "$target" "$port"
    expect_status 0 "the installation"
    tl_check "the log file is named" grep -q '^Installation log: ' "$TL_DIR/install.out"

    # The payload, in the target's own rpm database.
    tl_check "the medium holds quorelle-tools" has_line <(first_rpm_name) quorelle-tools
    tl_check "quorelle-tools is in the target's rpm database" \
        rpm --root "$target" --dbpath /var/lib/rpm -q quorelle-tools
    tl_check "zonetally is installed below the target" test -x "$target/usr/bin/zonetally"

    # msg.conf: the answers, readable by its owner only.
    conf=$target/etc/opt/quorelle/msg/msg.conf
    tl_check "msg.conf has mode 0600" mode_is "$conf" 600
    tl_check "msg.conf: LDAPHOST" has_line "$conf" "LDAPHOST:127.0.0.1:$port"
    tl_check "msg.conf: ADMINDN" has_line "$conf" "ADMINDN:cn=admin,$suffix"
    tl_check "msg.conf: ADMINPW" has_line "$conf" "ADMINPW:change-me-42"
    tl_check "msg.conf: LDAPSUFFIX" has_line "$conf" "LDAPSUFFIX:$suffix"

    # The directory answers on the chosen port, as the invoking user, with its pid file.
    pid=$(cat "$target/var/run/quorelle/slapd.pid")
    tl_check "slapd runs with the pid of its pid file" test "$(cat "/proc/$pid/comm")" = slapd
    tl_check "slapd runs as the invoking user" test "$(stat -c %u "/proc/$pid")" = "$(id -u)"
    tl_check "slapd listens on 127.0.0.1 only" grep -q "ldap://127.0.0.1:$port/" \
        "$target/var/run/quorelle/slapd.args"
    entries "$port" >"$TL_DIR/entries.1"
    tl_check "the first domain" has_line "$TL_DIR/entries.1" "dn: $domain_dn"
    tl_check "its users' container" has_line "$TL_DIR/entries.1" "dn: ou=MSG Users,$domain_dn"
    tl_check "its groups' container" has_line "$TL_DIR/entries.1" "dn: ou=MSG Groups,$domain_dn"
    tl_check "the postmaster" has_line "$TL_DIR/entries.1" "dn: uid=postmaster,ou=MSG Users,$domain_dn"
    tl_check "the postmaster's password is hashed" grep -q '^userPassword:: ' "$TL_DIR/entries.1"
    tl_run ldapwhoami -x -H "ldap://127.0.0.1:$port/" -D "uid=postmaster,ou=MSG Users,$domain_dn" \
        -w postmaster-42
    tl_expect "the postmaster binds with his password" 0 "dn:uid=postmaster,ou=MSG Users,$domain_dn
" -

    # The installed tools administer it.
    export QUORELLE_MSG_CONF=$conf
    tl_run timeout 60 "$target/usr/bin/zonetally"
    tl_expect "zonetally of the target" 0 "domain:example.org
description:example.org
nusers:1
naliases:0

" ""
    tl_run timeout 60 "$target/usr/bin/rosterdump" --domain=example.org --uid --mail
    tl_expect "rosterdump of the target" 0 "uid:postmaster
mail:postmaster@example.org

" ""
    unset QUORELLE_MSG_CONF

    # Postfix's lookup tables and Cyrus's Sieve directory.
    local maincf=$target/etc/postfix/main.cf
    tl_check "main.cf: virtual domains from the directory" has_line "$maincf" \
        "virtual_mailbox_domains = ldap:$target/etc/postfix/quorelle-domains.cf"
    tl_check "main.cf: mailboxes from the directory" has_line "$maincf" \
        "virtual_mailbox_maps = ldap:$target/etc/postfix/quorelle-mailboxes.cf"
    tl_check "main.cf: delivery to Cyrus" has_line "$maincf" \
        "virtual_transport = lmtp:unix:$target/var/run/cyrus/socket/lmtp"
    if command -v postconf >/dev/null; then
        tl_run postconf -c "$target/etc/postfix" -h virtual_mailbox_maps
        tl_expect "postconf reads the mailbox lookup" 0 "ldap:$target/etc/postfix/quorelle-mailboxes.cf
" -
    fi
    tl_check "the domain map" has_line "$target/etc/postfix/quorelle-domains.cf" \
        "server_host = ldap://127.0.0.1:$port/"
    tl_check "the mailbox map" has_line "$target/etc/postfix/quorelle-mailboxes.cf" \
        "search_base = $suffix"
    tl_check "imapd.conf: the Sieve directory" has_line "$target/etc/imapd.conf" \
        "sievedir: $target/usr/sieve"
    tl_check "no Postfix or Cyrus runs from the sandbox" tl_not pgrep -f "$target/etc/(postfix|imapd)"
    if [ "$(id -u)" = 0 ]; then
        tl_check "the postmaster's Sieve script" test -f "$target/usr/sieve/p/postmaster/msg.script"
        [ -f "$target/usr/sieve/p/postmaster/msg.script" ] || grep -i -A3 'sieve' "$TL_DIR/install.err" >&2
    fi
    tl_check "no password file is left in /tmp" tl_not grep -qs 'change-me-42\|postmaster-42' /tmp/vantortemplate*
    tl_check "no password in the install log" tl_not grep -q 'change-me-42\|postmaster-42' \
        "$(sed -n 's/^Installation log: //p' "$TL_DIR/install.out")"
    medium_unchanged

    # A second run on the same target: nothing duplicated, the database and server kept.
    cp "$maincf" "$TL_DIR/main.cf.1"
    stat -c %a "$conf" >"$TL_DIR/mode.1"
    install "$target" "$port"
    expect_status 0 "the second installation"
    tl_check "the same directory server runs" test "$(cat "$target/var/run/quorelle/slapd.pid")" = "$pid"
    entries "$port" >"$TL_DIR/entries.2"
    tl_same_file "the directory's entries are unchanged" "$TL_DIR/entries.1" "$TL_DIR/entries.2"
    tl_same_file "main.cf is unchanged" "$TL_DIR/main.cf.1" "$maincf"
    tl_check "main.cf holds each setting once" test "$(count_lines "$maincf" \
        "virtual_mailbox_maps = ldap:$target/etc/postfix/quorelle-mailboxes.cf")" = 1
    tl_check "msg.conf keeps mode 0600" mode_is "$conf" 600
    tl_check "the package was left out" grep -q 'Not installing quorelle-tools' "$TL_DIR/install.err"
    tl_check "one quorelle-tools in the rpm database" test \
        "$(rpm --root "$target" --dbpath /var/lib/rpm -qa | grep -c '^quorelle-tools-')" = 1
    medium_unchanged

    sh "$medium/resources/scripts/directory.sh" stop "$target" >/dev/null
    tl_check "the directory server is stopped" tl_not kill -0 "$pid" 2>/dev/null
}

port_taken() {
    local target port holder
    target=$(mktemp -d "$TL_DIR/target-XXXXXX")
    # Another server on the port: a listener of this test.
    python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(5)
print(s.getsockname()[1], flush=True)
time.sleep(600)' >"$TL_DIR/holder.port" &
    holder=$!
    for _ in $(seq 50); do [ -s "$TL_DIR/holder.port" ] && break; sleep 0.1; done
    port=$(cat "$TL_DIR/holder.port")
    install "$target" "$port"
    kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null || true
    expect_status 2 "the installation with the port taken"
    tl_check "the message names the port" grep -q "Another server answers on port $port\." \
        "$TL_DIR/install.out"
    tl_check "the run ended at the checks stage" grep -q 'stage "Checks" (checks) cannot continue' \
        "$TL_DIR/install.err"
    tl_check "nothing was written to the target" test -z "$(ls -A "$target")"
    medium_unchanged
}

# A mail domain without a dot (as a host without a domain name suggests): the checks page
# names the refused value, and nothing is written.
bad_names() {
    local target
    target=$(mktemp -d "$TL_DIR/target-XXXXXX")
    install "$target" "$(free_port)" "mail_domain=nodot" "ldap_suffix=dc=nodot"
    expect_status 2 "the installation with a domain without a dot"
    tl_check "the checks page names the refused domain" grep -qF 'Not valid: “nodot”.' \
        "$TL_DIR/install.out"
    tl_check "nothing was written to the target" test -z "$(ls -A "$target")"
    medium_unchanged
}

relay() {
    local directory relay_target port
    directory=$(mktemp -d "$TL_DIR/target-XXXXXX")
    relay_target=$(mktemp -d "$TL_DIR/target-XXXXXX")
    targets+=("$directory")
    port=$(free_port)

    # No directory answers yet: the checks stop the relay's installation.
    install "$relay_target" "$port" setup_kind=relay ldap_host=127.0.0.1
    expect_status 2 "the relay without a directory"
    tl_check "the message names host and port" grep -q \
        "No directory server answers at 127.0.0.1 on port $port\." "$TL_DIR/install.out"
    tl_check "nothing was written to the relay's target" test -z "$(ls -A "$relay_target")"

    # A directory server installed elsewhere; the relay uses it.
    install "$directory" "$port" setup_kind=directory
    expect_status 0 "the directory server only"
    tl_check "a directory server only has no Postfix" test ! -e "$directory/etc/postfix/main.cf"
    install "$relay_target" "$port" setup_kind=relay ldap_host=127.0.0.1
    expect_status 0 "the relay"
    local maincf=$relay_target/etc/postfix/main.cf
    tl_check "main.cf: relay domains from the directory" has_line "$maincf" \
        "relay_domains = ldap:$relay_target/etc/postfix/quorelle-domains.cf"
    tl_check "main.cf: relay recipients from the directory" has_line "$maincf" \
        "relay_recipient_maps = ldap:$relay_target/etc/postfix/quorelle-mailboxes.cf"
    tl_check "a relay delivers to no mail store" tl_not grep -q '^virtual_transport' "$maincf"
    tl_check "a relay runs no directory server" test ! -e "$relay_target/var/run/quorelle/slapd.pid"
    tl_check "a relay has no Cyrus configuration" test ! -e "$relay_target/etc/imapd.conf"
    QUORELLE_MSG_CONF=$relay_target/etc/opt/quorelle/msg/msg.conf tl_run timeout 60 \
        "$relay_target/usr/bin/rosterdump" --domain=example.org --uid
    tl_expect "the relay's tools read the other directory" 0 "uid:postmaster

" ""
    medium_unchanged
}

tl_case "fresh installation and second run" fresh_installation
tl_case "port taken" port_taken
tl_case "names refused by the checks" bad_names
tl_case "relay using an existing directory" relay
tl_done
