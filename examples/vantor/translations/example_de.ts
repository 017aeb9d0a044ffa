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
    <message>
        <source>Mailbox format</source>
        <translation>Postfachformat</translation>
    </message>
    <message>
        <source>One file per message</source>
        <translation>Eine Datei je Nachricht</translation>
    </message>
    <message>
        <source>One file per folder</source>
        <translation>Eine Datei je Ordner</translation>
    </message>
    <message>
        <source>IMAP port</source>
        <translation>IMAP-Port</translation>
    </message>
    <message>
        <source>Installation directory</source>
        <translation>Installationsverzeichnis</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Administratorkennwort</translation>
    </message>
    <message>
        <source>Start the services after the installation</source>
        <translation>Dienste nach der Installation starten</translation>
    </message>
    <message>
        <source>start them</source>
        <translation>starten</translation>
    </message>
    <message>
        <source>leave them stopped</source>
        <translation>nicht starten</translation>
    </message>
    <message>
        <source>Directory replication secret</source>
        <translation>Geheimnis der Verzeichnisreplikation</translation>
    </message>
    <message>
        <source>Administrator</source>
        <translation>Administrator</translation>
    </message>
    <message>
        <source>Checks</source>
        <translation>Prüfungen</translation>
    </message>
    <message>
        <source>Checking the installation directory</source>
        <translation>Das Installationsverzeichnis wird geprüft</translation>
    </message>
    <message>
        <source>Show the free disk space</source>
        <translation>Freien Plattenplatz zeigen</translation>
    </message>
    <message>
        <source>Installing</source>
        <translation>Installation läuft</translation>
    </message>
    <message>
        <source>Installation</source>
        <translation>Installation</translation>
    </message>
    <message>
        <source>Writing the configuration</source>
        <translation>Die Konfiguration wird geschrieben</translation>
    </message>
    <message>
        <source>Recording the mailbox format</source>
        <translation>Das Postfachformat wird eingetragen</translation>
    </message>
    <message>
        <source>Starting the services</source>
        <translation>Die Dienste werden gestartet</translation>
    </message>
    <message>
        <source>Services: $$services$$ ($$start_services$$)</source>
        <translation>Dienste: $$services$$ ($$start_services$$)</translation>
    </message>
</context>
</TS>
