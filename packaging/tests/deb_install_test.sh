#!/usr/bin/env bash
# The Debian packages installed for real into a private root (dpkg --root with the root's own
# database; never the machine itself), their programs run from there, then removed:
# - the files, owners and modes as packaged (rootgate set-user-id root, msg.conf a conffile);
# - no user cyrus in the root: no Sieve tree; with cyrus: the letter directories, owned by
#   cyrus, mode 0750, and only the missing ones;
# - a changed msg.conf survives reinstalling and removing, and goes with purging;
# - after purging, the root holds exactly what it held before.
# Usage: deb_install_test.sh PACKAGE.deb... | DIRECTORY (every .deb in it)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/privroot.sh"
source "$here/programs.sh"
deb_name() { dpkg-deb -f "$1" Package; }
pr_begin "maintainer scripts" deb deb_name "$@"

new_root() {
    root=$work/root$1
    pr_make "$root" || exit 1
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log"
    touch "$root/var/lib/dpkg/status"
}
# dpkg on the private root: its database inside it, its log outside, dependencies (the
# libraries of the root are the machine's) not checked.
dpkg_root() {
    dpkg --root="$root" --log="$work/dpkg.log" --force-depends "$@" \
        >"$work/dpkg.out" 2>&1
    local rc=$?
    [ "$rc" -eq 0 ] || { echo "dpkg $* failed ($rc):"; sed 's/^/    /' "$work/dpkg.out"; }
    return "$rc"
}
mode() { stat -c '%U:%G:%a' "$1"; }
state() { dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null; }

# --- 1: a root without the user cyrus: install, run, purge --------------------------------------
new_root 1
pr_snapshot "$root" "$work/before"
pr_check "dpkg installs ${names[*]}" dpkg_root -i "${pkgs[@]}"
for n in "${names[@]}"; do
    pr_check "$n is installed" test "$(state "$n")" = "ii "
done
if has quorelle-tools; then
    pr_check "rootgate: root:root, mode 4755" test "$(mode "$root/usr/sbin/rootgate")" = root:root:4755
    for t in bin/zonetally bin/rosterdump bin/crewdump sbin/rulesmith; do
        pr_check "$t: root:root, mode 755" test "$(mode "$root/usr/$t")" = root:root:755
    done
    pr_check "msg.conf: root:root, mode 644" test "$(mode "$root/etc/opt/quorelle/msg/msg.conf")" = root:root:644
    pr_check "msg.conf is a conffile" grep -q "/etc/opt/quorelle/msg/msg.conf" \
        "$root/var/lib/dpkg/info/quorelle-tools.conffiles"
    pr_check "schema installed" test -s "$root/usr/share/quorelle/schema/quorelle.schema"
    pr_check "no user cyrus: no Sieve tree" test ! -e "$root/usr/sieve"
    pr_check "no user cyrus: the postinst says so" grep -q "no user cyrus" "$work/dpkg.out"
fi
has quorelle-tabrix && pr_check "Tabrix.dll installed" test -s "$root/usr/share/quorelle/addin/Tabrix.dll"
if has quorelle-tools && has quorelle-vantor; then
    pr_run_programs "$root" "$work"
fi

pr_check "dpkg purges them" dpkg_root --purge "${names[@]}"
pr_compare "after purging"
pr_check "no package files left in dpkg's database" \
    test -z "$(find "$root/var/lib/dpkg/info" -name 'quorelle-*')"

# --- 2: a root with the user cyrus; a letter directory made by the mail server --------------------
if has quorelle-tools; then
    tools=$(printf '%s\n' "${pkgs[@]}" | grep '/quorelle-tools_')
    new_root 2
    pr_passwd "$root" cyrus
    mkdir -p "$root/usr/sieve/m"
    pr_snapshot "$root" "$work/before"
    pr_check "dpkg installs quorelle-tools (user cyrus)" dpkg_root -i "$tools"
    pr_check_letters
    pr_check "the existing letter directory m left alone" test "$(stat -c '%u:%a' "$root/usr/sieve/m")" = 0:755

    # What rulesmith makes below a letter directory is the mail server's data: kept.
    mkdir "$root/usr/sieve/a/alice"
    echo "changed by the administrator" >>"$root/etc/opt/quorelle/msg/msg.conf"
    pr_check "dpkg reinstalls quorelle-tools" dpkg_root -i "$tools"
    pr_check "reinstalling keeps the changed msg.conf" grep -q "changed by the administrator" \
        "$root/etc/opt/quorelle/msg/msg.conf"
    pr_check "dpkg removes quorelle-tools" dpkg_root -r quorelle-tools
    pr_check "removing keeps the changed msg.conf" grep -q "changed by the administrator" \
        "$root/etc/opt/quorelle/msg/msg.conf"
    pr_check "removing keeps a letter directory holding a user's directory" test -d "$root/usr/sieve/a/alice"
    pr_check "removing takes the other letter directories it made" test ! -e "$root/usr/sieve/b"
    pr_check "removing keeps the mail server's letter directory" test -d "$root/usr/sieve/m"
    pr_check "dpkg purges quorelle-tools" dpkg_root --purge quorelle-tools
    pr_check "purging removes msg.conf" test ! -e "$root/etc/opt/quorelle"
    rm -r "$root/usr/sieve/a"
    pr_compare "after purging (and the user directory taken away)"
fi
pr_done
