<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>SV_Engine</name>
    <message>
        <source>Single host</source>
        <translation>Ein einzelner Rechner</translation>
    </message>
    <message>
        <source>Mail relay only</source>
        <translation>Nur Mail-Relay</translation>
    </message>
    <message>
        <source>Host name</source>
        <translation>Rechnername</translation>
    </message>
    <message>
        <source>Mail domain</source>
        <translation>Mail-Domäne</translation>
    </message>
    <message>
        <source>Installing user</source>
        <translation>Installierender Benutzer</translation>
    </message>
    <message>
        <source>Kind of installation</source>
        <translation>Art der Installation</translation>
    </message>
    <message>
        <source>Services</source>
        <translation>Dienste</translation>
    </message>
    <message>
        <source>IMAP mail store</source>
        <translation>IMAP-Postfachspeicher</translation>
    </message>
    <message>
        <source>SMTP transfer agent</source>
        <translation>SMTP-Transportdienst</translation>
    </message>
    <message>
        <source>LDAP directory</source>
        <translation>LDAP-Verzeichnis</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Zusammenfassung</translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation>Willkommen</translation>
    </message>
    <message>
        <source>This wizard installs the Quorelle mail server on $$hostname$$.</source>
        <translation>Dieser Assistent installiert den Quorelle-Mailserver auf $$hostname$$.</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Abschließen</translation>
    </message>
</context>
</TS>
