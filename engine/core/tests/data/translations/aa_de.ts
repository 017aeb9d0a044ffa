<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>SV_Engine</name>
    <message>
        <source>Shared</source>
        <translation>from aa</translation>
    </message>
    <message>
        <source>Only aa</source>
        <translation>nur aa</translation>
    </message>
</context>
</TS>
