#!/usr/bin/env bash
# Brings translations/installer_de.ts up to date with the display texts of install.xml
# through lupdate: every `string` element's text (stripped, as the engine reads it) becomes
# a source text of the context SV_Engine. Translations already made are kept; texts no
# longer in the install file are dropped. Then translate the new entries (Qt Linguist or
# an editor) and build: lrelease runs with the target `medium`.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lupdate=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 - "$here/../install.xml" >"$tmp/texts.cpp" <<'PY'
import sys, xml.etree.ElementTree as ET
seen = []
for el in ET.parse(sys.argv[1]).iter('string'):
    text = (el.text or '').strip()
    if text and text not in seen:
        seen.append(text)
print('#include <QtGlobal>')
print('static const char* texts[] = {')
for t in seen:
    esc = t.replace('\\', '\\\\').replace('"', '\\"').replace('\n', '\\n')
    print('    QT_TRANSLATE_NOOP("SV_Engine", "%s"),' % esc)
print('};')
PY
"$lupdate" -silent -no-obsolete -locations none -source-language en -target-language de_DE \
  "$tmp/texts.cpp" -ts "$here/installer_de.ts"
