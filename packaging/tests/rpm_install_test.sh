#!/usr/bin/env bash
# The RPM packages installed for real into a private root (rpm --root with the root's own
# database; never the machine itself), their programs run from there, then erased:
# - the files, owners and modes as packaged (rootgate set-user-id root, msg.conf a
#   %config(noreplace) file);
# - no user cyrus in the root: no Sieve tree; with cyrus: the letter directories, owned by
#   cyrus, mode 0750, and only the missing ones;
# - a changed msg.conf survives reinstalling, and erasing keeps it as msg.conf.rpmsave;
# - after erasing, the root holds exactly what it held before.
# Usage: rpm_install_test.sh PACKAGE.rpm... | DIRECTORY (every .rpm in it)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/privroot.sh"
source "$here/programs.sh"
rpm_name() { rpm -qp --qf '%{NAME}' "$1" 2>/dev/null; }
pr_begin "scriptlets" rpm rpm_name "$@"

new_root() {
    root=$work/root$1
    pr_make "$root" || exit 1
    mkdir -p "$root/var/lib/rpm"
    rpm --root "$root" --dbpath /var/lib/rpm --initdb || exit 1
}
# rpm on the private root: its database inside it; dependencies (the libraries of the root
# are the machine's) not checked.
rpm_root() {
    rpm --root "$root" --dbpath /var/lib/rpm --nodeps "$@" >"$work/rpm.out" 2>&1
    local rc=$?
    [ "$rc" -eq 0 ] || { echo "rpm $* failed ($rc):"; sed 's/^/    /' "$work/rpm.out"; }
    return "$rc"
}
mode() { stat -c '%U:%G:%a' "$1"; }
installed() { rpm --root "$root" --dbpath /var/lib/rpm -q "$1" >/dev/null 2>&1; }
# --- 1: a root without the user cyrus: install, run, erase --------------------------------------
new_root 1
pr_snapshot "$root" "$work/before"
pr_check "rpm installs ${names[*]}" rpm_root -i "${pkgs[@]}"
for n in "${names[@]}"; do
    pr_check "$n is installed" installed "$n"
done
if has quorelle-tools; then
    pr_check "rootgate: root:root, mode 4755" test "$(mode "$root/usr/sbin/rootgate")" = root:root:4755
    for t in bin/zonetally bin/rosterdump bin/crewdump sbin/rulesmith; do
        pr_check "$t: root:root, mode 755" test "$(mode "$root/usr/$t")" = root:root:755
    done
    pr_check "msg.conf: root:root, mode 644" test "$(mode "$root/etc/opt/quorelle/msg/msg.conf")" = root:root:644
    pr_check "msg.conf is a configuration file" \
        grep -qx "/etc/opt/quorelle/msg/msg.conf" <(rpm --root "$root" --dbpath /var/lib/rpm -qc quorelle-tools)
    pr_check "schema installed" test -s "$root/usr/share/quorelle/schema/quorelle.schema"
    pr_check "no user cyrus: no Sieve tree" test ! -e "$root/usr/sieve"
    pr_check "no user cyrus: the scriptlet says so" grep -q "no user cyrus" "$work/rpm.out"
fi
has quorelle-tabrix && pr_check "Tabrix.dll installed" test -s "$root/usr/share/quorelle/addin/Tabrix.dll"
if has quorelle-tools && has quorelle-vantor; then
    pr_run_programs "$root" "$work"
fi
pr_check "rpm erases them" rpm_root -e "${names[@]}"
pr_compare "after erasing"

# --- 2: a root with the user cyrus; a letter directory made by the mail server --------------------
if has quorelle-tools; then
    tools=$(printf '%s\n' "${pkgs[@]}" | grep '/quorelle-tools-[0-9]')
    new_root 2
    pr_passwd "$root" cyrus
    mkdir -p "$root/usr/sieve/m"
    pr_snapshot "$root" "$work/before"
    pr_check "rpm installs quorelle-tools (user cyrus)" rpm_root -i "$tools"
    pr_check_letters
    pr_check "the existing letter directory m left alone" test "$(stat -c '%u:%a' "$root/usr/sieve/m")" = 0:755

    mkdir "$root/usr/sieve/a/alice"
    echo "changed by the administrator" >>"$root/etc/opt/quorelle/msg/msg.conf"
    pr_check "rpm reinstalls quorelle-tools" rpm_root -U --replacepkgs "$tools"
    pr_check "reinstalling keeps the changed msg.conf" grep -q "changed by the administrator" \
        "$root/etc/opt/quorelle/msg/msg.conf"
    pr_check "reinstalling keeps the letter directories" test -d "$root/usr/sieve/b"
    pr_check "rpm erases quorelle-tools" rpm_root -e quorelle-tools
    pr_check "erasing keeps the changed msg.conf as msg.conf.rpmsave" grep -q "changed by the administrator" \
        "$root/etc/opt/quorelle/msg/msg.conf.rpmsave"
    pr_check "erasing keeps a letter directory holding a user's directory" test -d "$root/usr/sieve/a/alice"
    pr_check "erasing takes the other letter directories it made" test ! -e "$root/usr/sieve/b"
    pr_check "erasing keeps the mail server's letter directory" test -d "$root/usr/sieve/m"
    # What the administrator and rulesmith made stays; without it, nothing is left.
    rm -r "$root/usr/sieve/a" "$root/etc/opt/quorelle"
    pr_compare "after erasing (the saved msg.conf and the user directory taken away)"
fi
pr_done
