#!/bin/bash
# shipped_test.sh BUILD SCHEMA INSTALL_FILE...
# Every shipped install file: valid against the schema; after a staged install of the
# vantor component, `vantor --check` on every install file below share/quorelle reports
# nothing and ends with status 0. The schema refuses a misspelt element, an option an action
# type does not have and a value outside a keyword list.
set -u
build=$1 schema=$2
shift 2
status=0
fail() { echo "FAIL: $*"; status=1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

command -v xmllint >/dev/null || { echo "FAIL: xmllint is missing (libxml2-utils)"; exit 1; }
for file in "$@"; do
  if ! xmllint --noout --relaxng "$schema" "$file" 2>"$tmp/err"; then
    fail "$file is not valid against $schema:"; cat "$tmp/err"
  else
    echo "ok: $file is valid against the schema"
  fi
done

# What the schema must refuse, each a small change of the first file.
first=$1
for change in 's|<continue-conditions|<contine-conditions|;s|</continue-conditions|</contine-conditions|' \
              's|param="rtype" value="fqdn"|param="rtyp" value="fqdn"|' \
              's|condition="item-selected"|condition="item-selectd"|' \
              's|<variable-input var_id=|<variable-input var-id=|'; do
  sed -e "$change" "$first" >"$tmp/changed.xml"
  if cmp -s "$first" "$tmp/changed.xml"; then
    fail "the change $change does not apply to $first"
  elif xmllint --noout --relaxng "$schema" "$tmp/changed.xml" 2>/dev/null; then
    fail "the schema accepts $first changed by $change"
  else
    echo "ok: the schema refuses $change"
  fi
done

# The installed layout: the check resolves directories as the installed program does.
stage=$tmp/stage
cmake --install "$build" --prefix "$stage" --component vantor >"$tmp/install.log" 2>&1 ||
  { cat "$tmp/install.log"; echo "FAIL: cmake --install"; exit 1; }
[ -f "$stage/share/quorelle/vantor-install.rng" ] || fail "the schema is not installed beside the program's data"
found=0
while IFS= read -r file; do
  found=$((found + 1))
  out=$("$stage/bin/vantor" --check "$file" 2>"$tmp/check.err")
  code=$?
  if [ "$code" -ne 0 ] || [ -n "$out" ] || [ -s "$tmp/check.err" ]; then
    fail "vantor --check $file: status $code"; echo "$out"; cat "$tmp/check.err"
  else
    echo "ok: vantor --check ${file#$stage/} reports nothing"
  fi
done < <(find "$stage/share/quorelle" -name '*.xml' | sort)
[ "$found" -gt 0 ] || fail "no install file is installed below share/quorelle"
exit $status
