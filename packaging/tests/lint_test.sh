#!/usr/bin/env bash
# The distributions' linters on the packages, and their content:
# - lintian on each .deb: no error and no warning; every finding kept is overridden, with its
#   reason, in packaging/lintian/<package> (installed where lintian looks), and no override
#   is stale. A program without a manual page source in docs/man is reported, not failed
#   (its page is written elsewhere); once the source exists the page must be in the package.
# - rpmlint on the .rpms with packaging/rpmlint.toml: no error and no warning (the findings
#   kept are filtered there, each with its reason).
# - Each .deb and the .rpm of the same name hold the same files, owners and modes, except
#   what only Debian reads (changelog.Debian.gz, lintian overrides).
# Usage: lint_test.sh PACKAGE_DIR MAN_SOURCE_DIR RPMLINT_CONFIG
set -uo pipefail
dir=$1 man=$2 rpmlint_config=$3
shopt -s nullglob
debs=("$dir"/*.deb)
rpms=("$dir"/*.rpm)
failed=0
fail() { echo "FAIL: $*"; failed=1; }
[ "${#debs[@]}" -gt 0 ] || fail "no .deb in $dir"
[ "${#rpms[@]}" -gt 0 ] || fail "no .rpm in $dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- lintian ---
for deb in "${debs[@]}"; do
    name=$(dpkg-deb -f "$deb" Package)
    lintian --fail-on none --display-info --display-experimental --tag-display-limit 0 \
        --show-overrides "$deb" >"$work/lintian" 2>&1
    rc=$?
    echo "lintian $name (status $rc):"
    sed 's/^/    /' "$work/lintian"
    [ "$rc" -eq 0 ] || fail "lintian did not run on $name"
    while read -r level _ tag rest; do
        case $level in
            E:) fail "lintian error in $name: $tag $rest" ;;
            W:)
                if [ "$tag" = no-manual-page ]; then
                    program=$(basename "${rest//[][]/}")
                    if compgen -G "$man/$program.[1-8].scd" >/dev/null; then
                        fail "$name: $program has a page in docs/man, but not in the package"
                    else
                        echo "note: $name: no manual page for $program yet (no docs/man/$program.N.scd)"
                    fi
                else
                    fail "lintian warning in $name: $tag $rest"
                fi
                ;;
            I:)
                case $tag in
                    unused-override|mismatched-override) fail "$name: stale lintian override: $rest" ;;
                esac
                ;;
        esac
    done <"$work/lintian"
done

# --- rpmlint ---
if [ "${#rpms[@]}" -gt 0 ]; then
    rpmlint -c "$rpmlint_config" "${rpms[@]}" >"$work/rpmlint" 2>&1
    rc=$?
    echo "rpmlint (status $rc):"
    sed 's/^/    /' "$work/rpmlint"
    grep -E '^[^ ]+: [EW]: ' "$work/rpmlint" | while read -r line; do echo "FAIL: rpmlint: $line"; done
    if grep -qE '^[^ ]+: [EW]: ' "$work/rpmlint" || ! grep -q ' 0 errors, 0 warnings' "$work/rpmlint"; then
        failed=1
    fi
fi

# --- the same content in both formats ---
for deb in "${debs[@]}"; do
    name=$(dpkg-deb -f "$deb" Package)
    rpm=
    for r in "${rpms[@]}"; do
        [ "$(rpm -qp --qf '%{NAME}' "$r" 2>/dev/null)" = "$name" ] && rpm=$r
    done
    if [ -z "$rpm" ]; then
        fail "$name: no .rpm of that name"
        continue
    fi
    # Files and links with their modes and owners; directories only where the package owns
    # them in both (rpm leaves the system's directories out).
    dpkg-deb --fsys-tarfile "$deb" | tar -tvf - |
        awk '$1 !~ /^d/ { p=$6; sub(/^\./, "", p); print substr($1, 2), $2, p }' |
        grep -Ev "^[^ ]+ [^ ]+ /usr/share/(doc/$name/changelog\.Debian\.gz|lintian/overrides/$name)$" |
        LC_ALL=C sort >"$work/deb-files"
    rpm -qp --qf '[%{FILEMODES:perms} %{FILEUSERNAME}/%{FILEGROUPNAME} %{FILENAMES}\n]' "$rpm" 2>/dev/null |
        awk '$1 !~ /^d/ { print substr($1, 2), $2, $3 }' | LC_ALL=C sort >"$work/rpm-files"
    if diff -u "$work/deb-files" "$work/rpm-files" >"$work/diff"; then
        echo "ok: $name: .deb and .rpm hold the same $(wc -l <"$work/deb-files") files"
    else
        fail "$name: .deb and .rpm differ:"
        sed 's/^/    /' "$work/diff"
    fi
done
[ "$failed" = 0 ] && echo "all checks passed"
exit "$failed"
