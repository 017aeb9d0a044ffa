<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>SV_Engine</name>
    <message>
        <source>Welcome</source>
        <translation>Willkommen</translation>
    </message>
    <message>
        <source>Small server</source>
        <translation>Kleiner Server</translation>
    </message>
    <message>
        <source>Quorelle Ltd</source>
        <translation>Quorelle GmbH</translation>
    </message>
    <message>
        <source>Café</source>
        <translation>Kaffee</translation>
    </message>
    <message>
        <source>Price</source>
        <translation>Preis in €</translation>
    </message>
</context>
</TS>
