<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>SV_Engine</name>
    <message>
        <source>Quorelle Project</source>
        <translation>Quorelle-Projekt</translation>
    </message>
    <message>
        <source>Quorelle Mail Server</source>
        <translation>Quorelle Mail-Server</translation>
    </message>
    <message>
        <source>Complete mail server</source>
        <translation>Vollständiger Mail-Server</translation>
    </message>
    <message>
        <source>Directory server only</source>
        <translation>Nur Verzeichnisserver</translation>
    </message>
    <message>
        <source>Mail relay using an existing directory</source>
        <translation>Mail-Relay mit einem vorhandenen Verzeichnis</translation>
    </message>
    <message>
        <source>Directory server</source>
        <translation>Verzeichnisserver</translation>
    </message>
    <message>
        <source>Mail store</source>
        <translation>Mail-Speicher</translation>
    </message>
    <message>
        <source>Mail transfer agent</source>
        <translation>Mail-Transport</translation>
    </message>
    <message>
        <source>Directory server host</source>
        <translation>Rechner des Verzeichnisservers</translation>
    </message>
    <message>
        <source>Kind of installation</source>
        <translation>Art der Installation</translation>
    </message>
    <message>
        <source>I accept the licence terms</source>
        <translation>Ich nehme die Lizenzbedingungen an</translation>
    </message>
    <message>
        <source>Target root directory</source>
        <translation>Zielverzeichnis (Wurzel)</translation>
    </message>
    <message>
        <source>Package architecture</source>
        <translation>Paketarchitektur</translation>
    </message>
    <message>
        <source>Program directory of the packages</source>
        <translation>Programmverzeichnis der Pakete</translation>
    </message>
    <message>
        <source>Host name</source>
        <translation>Rechnername</translation>
    </message>
    <message>
        <source>First mail domain</source>
        <translation>Erste Mail-Domäne</translation>
    </message>
    <message>
        <source>Directory suffix</source>
        <translation>Verzeichnis-Suffix</translation>
    </message>
    <message>
        <source>Directory port</source>
        <translation>Verzeichnis-Port</translation>
    </message>
    <message>
        <source>Directory administrator</source>
        <translation>Verzeichnisadministrator</translation>
    </message>
    <message>
        <source>Directory administrator's password</source>
        <translation>Passwort des Verzeichnisadministrators</translation>
    </message>
    <message>
        <source>Postmaster's user name</source>
        <translation>Benutzername des Postmasters</translation>
    </message>
    <message>
        <source>Postmaster's password</source>
        <translation>Passwort des Postmasters</translation>
    </message>
    <message>
        <source>Target writable</source>
        <translation>Ziel beschreibbar</translation>
    </message>
    <message>
        <source>Values refused by the names check</source>
        <translation>Von der Namensprüfung abgelehnte Werte</translation>
    </message>
    <message>
        <source>Names valid</source>
        <translation>Namen gültig</translation>
    </message>
    <message>
        <source>Programs present</source>
        <translation>Programme vorhanden</translation>
    </message>
    <message>
        <source>Existing directory answers</source>
        <translation>Vorhandenes Verzeichnis antwortet</translation>
    </message>
    <message>
        <source>Something answers on the port</source>
        <translation>Auf dem Port antwortet ein Dienst</translation>
    </message>
    <message>
        <source>The directory server of this installation answers</source>
        <translation>Der Verzeichnisserver dieser Installation antwortet</translation>
    </message>
    <message>
        <source>Port state</source>
        <translation>Zustand des Ports</translation>
    </message>
    <message>
        <source>Sieve scripts can be written</source>
        <translation>Sieve-Skripte können geschrieben werden</translation>
    </message>
    <message>
        <source>Administrator password hash</source>
        <translation>Hash des Administratorpassworts</translation>
    </message>
    <message>
        <source>Postmaster password hash</source>
        <translation>Hash des Postmasterpassworts</translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation>Willkommen</translation>
    </message>
    <message>
        <source>This wizard installs the Quorelle mail server on $$host_name$$.</source>
        <translation>Dieser Assistent installiert den Quorelle Mail-Server auf $$host_name$$.</translation>
    </message>
    <message>
        <source>Host and mail domain</source>
        <translation>Rechner und Mail-Domäne</translation>
    </message>
    <message>
        <source>Directory</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>Postmaster</source>
        <translation>Postmaster</translation>
    </message>
    <message>
        <source>Checks</source>
        <translation>Prüfungen</translation>
    </message>
    <message>
        <source>The target $$target$$ cannot be written by this user. Run the installation as a user who may write there, or go back and choose another target.</source>
        <translation>Dieser Benutzer kann das Ziel $$target$$ nicht beschreiben. Starten Sie die Installation als ein Benutzer, der dort schreiben darf, oder gehen Sie zurück und wählen Sie ein anderes Ziel.</translation>
    </message>
    <message>
        <source>Not valid: $$bad_names$$. Go back and correct the host name, the mail domain, the directory suffix or the postmaster's user name: a domain such as example.org (with at least one dot), a suffix such as dc=example,dc=org.</source>
        <translation>Ungültig: $$bad_names$$. Gehen Sie zurück und korrigieren Sie den Rechnernamen, die Mail-Domäne, das Verzeichnis-Suffix oder den Benutzernamen des Postmasters: eine Domäne wie example.org (mit mindestens einem Punkt), ein Suffix wie dc=example,dc=org.</translation>
    </message>
    <message>
        <source>Programs of OpenLDAP or rpm are missing (see the log). Install the packages slapd, ldap-utils and rpm, then run the installation again.</source>
        <translation>Programme von OpenLDAP oder rpm fehlen (siehe Protokoll). Installieren Sie die Pakete slapd, ldap-utils und rpm und starten Sie die Installation erneut.</translation>
    </message>
    <message>
        <source>Another server answers on port $$ldap_port$$. Stop that server, or go back and choose another directory port.</source>
        <translation>Auf Port $$ldap_port$$ antwortet ein anderer Server. Halten Sie diesen Server an, oder gehen Sie zurück und wählen Sie einen anderen Verzeichnis-Port.</translation>
    </message>
    <message>
        <source>No directory server answers at $$ldap_host$$ on port $$ldap_port$$. Start it, or go back and correct its host and port.</source>
        <translation>Auf $$ldap_host$$ antwortet kein Verzeichnisserver auf Port $$ldap_port$$. Starten Sie ihn, oder gehen Sie zurück und korrigieren Sie Rechner und Port.</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Zusammenfassung</translation>
    </message>
    <message>
        <source>Postmaster: $$postmaster_uid$$@$$mail_domain$$</source>
        <translation>Postmaster: $$postmaster_uid$$@$$mail_domain$$</translation>
    </message>
    <message>
        <source>Next installs the packages and writes the configuration below $$target$$.</source>
        <translation>Weiter installiert die Pakete und schreibt die Konfiguration unterhalb von $$target$$.</translation>
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
        <source>Preparing the target</source>
        <translation>Ziel wird vorbereitet</translation>
    </message>
    <message>
        <source>Installing the packages</source>
        <translation>Pakete werden installiert</translation>
    </message>
    <message>
        <source>Setting up the directory</source>
        <translation>Verzeichnis wird eingerichtet</translation>
    </message>
    <message>
        <source>Writing the tool configuration</source>
        <translation>Werkzeugkonfiguration wird geschrieben</translation>
    </message>
    <message>
        <source>Configuring Postfix for the directory</source>
        <translation>Postfix wird für das Verzeichnis eingerichtet</translation>
    </message>
    <message>
        <source>Configuring Postfix as a relay</source>
        <translation>Postfix wird als Relay eingerichtet</translation>
    </message>
    <message>
        <source>Configuring the Cyrus mail store</source>
        <translation>Cyrus-Mail-Speicher wird eingerichtet</translation>
    </message>
    <message>
        <source>Writing the first Sieve scripts</source>
        <translation>Erste Sieve-Skripte werden geschrieben</translation>
    </message>
    <message>
        <source>Starting the mail services</source>
        <translation>Mail-Dienste werden gestartet</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Abgeschlossen</translation>
    </message>
    <message>
        <source>The Quorelle mail server is installed below $$target$$. Below it: the tools in $$prefix$$/bin and $$prefix$$/sbin, their packages in the rpm database var/lib/rpm, the tool configuration etc/opt/quorelle/msg/msg.conf.</source>
        <translation>Der Quorelle Mail-Server ist unterhalb von $$target$$ installiert. Dort liegen: die Werkzeuge in $$prefix$$/bin und $$prefix$$/sbin, ihre Pakete in der RPM-Datenbank var/lib/rpm, die Werkzeugkonfiguration etc/opt/quorelle/msg/msg.conf.</translation>
    </message>
    <message>
        <source>The directory server runs on port $$ldap_port$$: configuration in etc/quorelle/slapd.d, data in var/lib/quorelle/ldap, process id in var/run/quorelle/slapd.pid.</source>
        <translation>Der Verzeichnisserver läuft auf Port $$ldap_port$$: Konfiguration in etc/quorelle/slapd.d, Daten in var/lib/quorelle/ldap, Prozessnummer in var/run/quorelle/slapd.pid.</translation>
    </message>
    <message>
        <source>Postfix finds domains and mailboxes in the directory (etc/postfix/main.cf, with quorelle-domains.cf and quorelle-mailboxes.cf); Cyrus reads etc/imapd.conf.</source>
        <translation>Postfix findet Domänen und Postfächer im Verzeichnis (etc/postfix/main.cf, mit quorelle-domains.cf und quorelle-mailboxes.cf); Cyrus liest etc/imapd.conf.</translation>
    </message>
    <message>
        <source>To administer $$mail_domain$$: zonetally (domains and their counts), rosterdump --domain=$$mail_domain$$ --uid --mail (users), crewdump --domain=$$mail_domain$$ --name (groups), rulesmith (Sieve scripts). The log: Show Log on the previous page; a console installation names its log file at the end.</source>
        <translation>Verwaltung von $$mail_domain$$: zonetally (Domänen und ihre Zahlen), rosterdump --domain=$$mail_domain$$ --uid --mail (Benutzer), crewdump --domain=$$mail_domain$$ --name (Gruppen), rulesmith (Sieve-Skripte). Das Protokoll: Protokoll anzeigen auf der vorigen Seite; eine Konsoleninstallation nennt am Ende ihre Protokolldatei.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>State of the existing directory</source>
        <translation>Zustand des vorhandenen Verzeichnisses</translation>
    </message>
    <message>
        <source>Every check has passed; nothing has been written yet. Next shows a summary of your choices.</source>
        <translation>Alle Prüfungen waren erfolgreich; noch wurde nichts geschrieben. Weiter zeigt eine Zusammenfassung Ihrer Angaben.</translation>
    </message>
    <message>
        <source>The directory holds the mail domains, their users and groups. Its suffix is made from the mail domain. The administrator's password needs at least 8 characters, entered twice.</source>
        <translation>Das Verzeichnis enthält die Mail-Domänen mit ihren Benutzern und Gruppen. Sein Suffix wird aus der Mail-Domäne gebildet. Das Passwort des Administrators braucht mindestens 8 Zeichen und wird zweimal eingegeben.</translation>
    </message>
    <message>
        <source>The existing directory: its host, suffix, port and administrator, as that directory server is set up.</source>
        <translation>Das vorhandene Verzeichnis: Rechner, Suffix, Port und Administrator, wie dieser Verzeichnisserver eingerichtet ist.</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Fertig</translation>
    </message>
    <message>
        <source>The host name and the first mail domain were found on this machine; change them if the mail server is to be known by other names.</source>
        <translation>Rechnername und erste Mail-Domäne wurden auf diesem Rechner ermittelt; ändern Sie sie, wenn der Mail-Server unter anderen Namen bekannt sein soll.</translation>
    </message>
    <message>
        <source>The postmaster is the first user of the domain $$mail_domain$$; the mail of its administrator goes to this user.</source>
        <translation>Der Postmaster ist der erste Benutzer der Domäne $$mail_domain$$; die Post an ihren Administrator geht an diesen Benutzer.</translation>
    </message>
</context>
</TS>
