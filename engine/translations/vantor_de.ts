<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>SV_ConsoleViewer</name>
    <message>
        <source>Running actions</source>
        <translation>Aktionen werden ausgeführt</translation>
    </message>
    <message>
        <source>Installation Progress</source>
        <translation>Installationsfortschritt</translation>
    </message>
    <message>
        <source>The Installation appears to have successfully completed.</source>
        <translation>Die Installation wurde erfolgreich abgeschlossen.</translation>
    </message>
    <message>
        <source>An error occured during installation, please view the Log for details</source>
        <translation>Bei der Installation ist ein Fehler aufgetreten; Einzelheiten stehen im Protokoll.</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>SV_ConsoleYesNo</name>
    <message>
        <source>y</source>
        <extracomment>The letter typed for &quot;yes&quot; on the console</extracomment>
        <translation>j</translation>
    </message>
    <message>
        <source>n</source>
        <extracomment>The letter typed for &quot;no&quot; on the console</extracomment>
        <translation>n</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
</context>
<context>
    <name>SV_Engine</name>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>Möchten Sie die Installation wirklich beenden?</translation>
    </message>
    <message>
        <source>Running Preinstall</source>
        <translation>Vorbereitende Aktionen laufen</translation>
    </message>
    <message>
        <source>Building Install Screens</source>
        <translation>Die Seiten des Assistenten werden aufgebaut</translation>
    </message>
    <message>
        <source>Installation Error Messages</source>
        <translation>Fehlermeldungen der Installation</translation>
    </message>
    <message>
        <source>Error from ID: </source>
        <translation>Fehler von ID: </translation>
    </message>
    <message>
        <source>Installation Log Messages</source>
        <translation>Protokollmeldungen der Installation</translation>
    </message>
    <message>
        <source>Log message from ID: </source>
        <translation>Protokollmeldung von ID: </translation>
    </message>
    <message>
        <source>Installation Debug Messages</source>
        <translation>Diagnosemeldungen der Installation</translation>
    </message>
</context>
<context>
    <name>SV_InstallSequenceAction</name>
    <message>
        <source>The following error occurred:</source>
        <translation>Der folgende Fehler ist aufgetreten:</translation>
    </message>
    <message>
        <source>Do you want to continue?</source>
        <translation>Möchten Sie fortfahren?</translation>
    </message>
</context>
<context>
    <name>SV_QtBoolInput</name>
    <message>
        <source>True</source>
        <translation>Wahr</translation>
    </message>
    <message>
        <source>False</source>
        <translation>Falsch</translation>
    </message>
</context>
<context>
    <name>SV_QtInstallOutput</name>
    <message>
        <source>Installation Progress</source>
        <translation>Installationsfortschritt</translation>
    </message>
    <message>
        <source>Show Log</source>
        <translation>Protokoll anzeigen</translation>
    </message>
    <message>
        <source>The Installation appears to have successfully completed.</source>
        <translation>Die Installation wurde erfolgreich abgeschlossen.</translation>
    </message>
    <message>
        <source>An error occured during installation, please view the Log for details</source>
        <translation>Bei der Installation ist ein Fehler aufgetreten; Einzelheiten stehen im Protokoll.</translation>
    </message>
</context>
<context>
    <name>SV_QtLanguageSelectDlg</name>
    <message>
        <source>Please Select Your Language</source>
        <translation>Bitte wählen Sie Ihre Sprache</translation>
    </message>
</context>
<context>
    <name>SV_QtLogViewer</name>
    <message>
        <source>Installation Log Viewer</source>
        <translation>Installationsprotokoll</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Diagnose</translation>
    </message>
    <message>
        <source>Errors</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Save To File</source>
        <translation>In Datei speichern</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>The log could not be saved to %1: %2</source>
        <translation>Das Protokoll konnte nicht in %1 gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>SV_QtPasswordInput</name>
    <message>
        <source>Re-enter Password</source>
        <translation>Kennwort wiederholen</translation>
    </message>
</context>
<context>
    <name>SV_QtViewer</name>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Weiter</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Fertig</translation>
    </message>
    <message>
        <source>None of the installation&apos;s stages can be shown, so there is nothing to install. The installation ends.</source>
        <translation>Keine Seite der Installation kann angezeigt werden, es gibt also nichts zu installieren. Die Installation wird beendet.</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
</context>
</TS>
