#!/usr/bin/env python3
"""Every display text of the install file has a finished German translation that keeps its
$$id$$ references, every stage description file exists in both languages, and the .ts file
holds no text that the install file no longer has.
Usage: check_translations.py INSTALL_XML TS_FILE TRANSLATIONS_DIR"""
import re
import sys
import xml.etree.ElementTree as ET

install_xml, ts_file, tr_dir = sys.argv[1:4]
failures = []
root = ET.parse(install_xml).getroot()
texts = []
for el in root.iter('string'):
    t = (el.text or '').strip()
    if t and t not in texts:
        texts.append(t)

translations = {}
for ctx in ET.parse(ts_file).getroot().iter('context'):
    if ctx.findtext('name') != 'SV_Engine':
        continue
    for m in ctx.iter('message'):
        tr = m.find('translation')
        translations[m.findtext('source')] = (tr.text or '', tr.get('type'))

ref = re.compile(r'\$\$[a-zA-Z0-9:-_]*\$\$')
for t in texts:
    if t not in translations:
        failures.append('no translation entry: %r' % t)
        continue
    text, kind = translations[t]
    if kind in ('unfinished', 'obsolete', 'vanished') or not text.strip():
        failures.append('translation not finished: %r' % t)
    elif sorted(ref.findall(t)) != sorted(ref.findall(text)):
        failures.append('references differ: %r -> %r' % (t, text))
    try:
        t.encode('latin-1')
    except UnicodeEncodeError:
        failures.append('source text not Latin-1 (the engine looks texts up in Latin-1): %r' % t)
for t in translations:
    if t not in texts:
        failures.append('stale entry (not in the install file): %r' % t)

for stage in root.iter('stage'):
    desc = stage.find('stage-description')
    if desc is not None:
        for sub in ('', 'de/'):
            path = '%s/%s%s' % (tr_dir, sub, desc.get('file'))
            try:
                open(path, encoding='utf-8').read()
            except OSError:
                failures.append('missing description file %s' % path)

for f in failures:
    print('FAIL: ' + f)
print('%d texts, %d failures' % (len(texts), len(failures)))
sys.exit(1 if failures else 0)
