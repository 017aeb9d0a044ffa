<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>SV_Engine</name>
    <message>
        <source>Flat</source>
        <translation>Flach</translation>
    </message>
</context>
</TS>
