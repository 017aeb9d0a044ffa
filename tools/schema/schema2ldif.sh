#!/usr/bin/env bash
# Converts an OpenLDAP schema file into the cn=config LDIF form that slapadd/ldapadd load
# (attributetype -> olcAttributeTypes, objectclass -> olcObjectClasses). Comments stay out.
# Usage: schema2ldif.sh NAME FILE.schema > FILE.ldif
set -euo pipefail
name=$1
src=$2
printf 'dn: cn=%s,cn=schema,cn=config\nobjectClass: olcSchemaConfig\ncn: %s\n' "$name" "$name"
awk '
/^[ \t]*#/ || /^[ \t]*$/ { next }
/^attributetype[ \t]/ { sub(/^attributetype[ \t]+/, ""); printf "olcAttributeTypes: %s\n", $0; next }
/^objectclass[ \t]/   { sub(/^objectclass[ \t]+/, "");   printf "olcObjectClasses: %s\n", $0; next }
/^[ \t]/ { sub(/^[ \t]+/, ""); printf "  %s\n", $0; next }
{ print "schema2ldif: unexpected line: " $0 > "/dev/stderr"; exit 1 }
' "$src"
