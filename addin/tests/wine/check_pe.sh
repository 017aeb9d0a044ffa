#!/usr/bin/env bash
# Checks the shipped 32-bit Tabrix.dll as a file: a PE32 i386 DLL exporting exactly the four COM
# server entry points without stdcall decoration, importing system DLLs only.
# Usage: check_pe.sh OBJDUMP DLL
set -u
objdump=$1 dll=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -f "$dll" ] || fail "$dll is missing"
dump=$("$objdump" -p "$dll") || fail "$objdump cannot read $dll"

grep -q 'file format pei-i386' <<<"$dump" || fail "not a 32-bit PE file"
grep -q 'Magic.*(PE32)' <<<"$dump" || fail "not PE32"

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
    grep -E '^\s*\[ *[0-9]+\] [A-Za-z_]' | awk '{print $NF}' | sort -u)
expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
[ "$exports" = "$expected" ] || fail "exports are: $(echo $exports)"

allowed='^(ADVAPI32|KERNEL32|msvcrt|ole32|OLEAUT32|USER32)\.dll$'
imports=$(grep 'DLL Name:' <<<"$dump" | awk '{print $3}')
[ -n "$imports" ] || fail "no imports found"
for dll_name in $imports; do
    [[ "$dll_name" =~ $allowed ]] || fail "imports $dll_name, which is not a system DLL"
done
echo "PASS: exports $(echo $exports); imports $(echo $imports)"
