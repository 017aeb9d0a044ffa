#!/usr/bin/env bash
# The medium's install file passes `vantor --check` with status 0 and not one message, and
# the check is no stub: a misspelt variable reference in a copy of it is reported.
#   check_test.sh MEDIUM_DIR
set -uo pipefail
medium=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
out=$("$medium/bin/vantor" --check "$medium/install.xml" 2>&1)
status=$?
if [ "$status" -ne 0 ] || [ -n "$out" ]; then
    printf '%s\n' "$out"
    echo "FAIL: vantor --check ended with status $status and the messages above"
    exit 1
fi
# The copy lies in the medium's place (its directories are relative to bin/).
cp -a "$medium" "$tmp/medium"
sed -i 's/var_id="ldap_port"/var_id="ldap_prot"/' "$tmp/medium/install.xml"
out=$("$tmp/medium/bin/vantor" --check "$tmp/medium/install.xml" 2>&1)
if ! printf '%s\n' "$out" | grep -q 'error: there is no variable "ldap_prot"'; then
    printf '%s\n' "$out"
    echo "FAIL: the misspelt reference was not reported"
    exit 1
fi
echo "vantor --check: the install file is clean"
