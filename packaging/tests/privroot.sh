# Helpers of the package tests: a private root directory into which packages are installed
# (never the machine itself), with just enough inside for the maintainer scripts, which
# dpkg and rpm run chrooted into it: /bin/sh and the few commands the scripts use, with their
# libraries.
#
#   pr_begin WHAT EXT NAMECMD ARG...
#                           the start of an install test: root is needed (else SKIP, 77;
#                           WHAT names what runs chrooted); ARG... are package files or one
#                           directory (every *.EXT in it); sets pkgs (the files), names
#                           (their package names, NAMECMD FILE prints one) and work (a
#                           temporary directory removed at exit)
#   has NAME                NAME is among the packages given
#   pr_make ROOT            make the root (/etc/passwd with root only, /dev/null, the base
#                           system's directories)
#   pr_snapshot ROOT FILE   every path below ROOT with its type, mode and owner, sorted,
#                           the package managers' own databases left out
#   pr_passwd ROOT NAME...  /etc/passwd and /etc/group of the root with root and NAME...
#   pr_compare WHEN         the root ($root) holds what it held at the snapshot $work/before
#   pr_check_letters        the letter directories a-z of the Sieve tree below $root but m
#                           are owned by cyrus (uid 900) with mode 0750
#   pr_fail TEXT            report a failed check (the test then fails at pr_done)
#   pr_check TEXT CMD...    run CMD; a failure is reported with TEXT
#   pr_done                 exit with the result

pr_failures=0

pr_begin() {
    local what=$1 ext=$2 namecmd=$3 f
    shift 3
    if [ "$(id -u)" != 0 ]; then
        echo "SKIP: installing into a private root runs the $what chrooted, which needs root"
        exit 77
    fi
    pkgs=("$@")
    if [ "$#" -eq 1 ] && [ -d "$1" ]; then
        shopt -s nullglob
        pkgs=("$1"/*."$ext")
        shopt -u nullglob
    fi
    [ "${#pkgs[@]}" -gt 0 ] || { echo "FAIL: no packages given"; exit 1; }
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    names=()
    for f in "${pkgs[@]}"; do
        names+=("$("$namecmd" "$f")")
    done
}

has() {
    local n
    for n in "${names[@]}"; do [ "$n" = "$1" ] && return 0; done
    return 1
}

pr_fail() {
    echo "FAIL: $*"
    pr_failures=$((pr_failures + 1))
}

pr_check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        pr_fail "$what"
    fi
}

pr_compare() {
    pr_snapshot "$root" "$work/after"
    if diff -u "$work/before" "$work/after" >"$work/diff"; then
        echo "ok: $1, the root holds what it held before"
    else
        pr_fail "the root $1 differs from before:"
        sed 's/^/    /' "$work/diff"
    fi
}

pr_check_letters() {
    local l ok=1
    for l in a b c d e f g h i j k l n o p q r s t u v w x y z; do
        [ "$(stat -c '%u:%a' "$root/usr/sieve/$l" 2>/dev/null)" = 900:750 ] ||
            { ok=0; echo "    /usr/sieve/$l: $(stat -c '%u:%a' "$root/usr/sieve/$l" 2>&1)"; }
    done
    pr_check "letter directories a-z made, owned by cyrus, mode 0750" test "$ok" = 1
}

pr_done() {
    if [ "$pr_failures" -ne 0 ]; then
        echo "$pr_failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

pr_copy_program() {
    local root=$1 name=$2 path lib
    path=$(command -v "$name") || { echo "pr_make: $name not found" >&2; return 1; }
    path=$(readlink -f "$path")
    cp "$path" "$root/bin/$name"
    for lib in $(ldd "$path" | grep -o '/[^ ]*'); do
        if [ ! -e "$root$lib" ]; then
            mkdir -p "$root$(dirname "$lib")"
            cp "$(readlink -f "$lib")" "$root$lib"
        fi
    done
}

pr_make() {
    local root=$1 c
    mkdir -p "$root/bin" "$root/tmp" "$root/etc" "$root/dev"
    chmod 1777 "$root/tmp"
    mknod -m 666 "$root/dev/null" c 1 3 || { echo "pr_make: cannot make $root/dev/null" >&2; return 1; }
    pr_passwd "$root"
    # The directories of a base system, which belong to it (rpm's filesystem package, Debian's
    # base-files and others): each holds a file, so that no package manager takes them away.
    mkdir -p "$root/var/tmp" "$root/var/lib"
    chmod 1777 "$root/var/tmp"
    for d in etc/opt usr/bin usr/sbin usr/share/doc usr/share/man/man1 usr/share/man/man5 \
             usr/share/man/man8 var/tmp var/lib; do
        mkdir -p "$root/$d"
        echo "a file of the base system" >"$root/$d/base-system-file"
    done
    for c in sh id mkdir chown chmod rmdir rm; do
        pr_copy_program "$root" "$c" || return 1
    done
}

pr_passwd() {
    local root=$1 uid=900 name
    shift
    echo "root:x:0:0:root:/root:/bin/sh" >"$root/etc/passwd"
    echo "root:x:0:" >"$root/etc/group"
    for name in "$@"; do
        echo "$name:x:$uid:$uid::/nonexistent:/usr/sbin/nologin" >>"$root/etc/passwd"
        echo "$name:x:$uid:" >>"$root/etc/group"
        uid=$((uid + 1))
    done
}

pr_snapshot() {
    (cd "$1" && find . \( -path ./var/lib/dpkg -o -path ./var/lib/rpm \) -prune -o \
        -printf '%p %y %m %U:%G\n' | LC_ALL=C sort) >"$2"
}
