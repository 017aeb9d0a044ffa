<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>SV_BoolVariable</name>
    <message>
        <source>&quot;%1&quot; is neither true nor false</source>
        <translation>„%1“ ist weder true noch false</translation>
    </message>
</context>
<context>
    <name>SV_ChoiceVariable</name>
    <message>
        <source>there is no choice %1 (the choices are: %2)</source>
        <translation>es gibt keine Auswahl %1 (zur Wahl stehen: %2)</translation>
    </message>
</context>
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
        <source>Languages:</source>
        <translation>Sprachen:</translation>
    </message>
    <message>
        <source>Language [%1]: </source>
        <translation>Sprache [%1]: </translation>
    </message>
    <message>
        <source>  Please give a number from 1 to %1.</source>
        <translation>  Bitte geben Sie eine Zahl von 1 bis %1 an.</translation>
    </message>
    <message>
        <source>vantor: the answers cannot be used, nothing was installed:</source>
        <translation>vantor: Die Antworten sind nicht verwendbar, es wurde nichts installiert:</translation>
    </message>
    <message>
        <source>  answers %1</source>
        <translation>  Antworten %1</translation>
    </message>
    <message>
        <source>Unattended installation: %1 answers read.</source>
        <translation>Unbeaufsichtigte Installation: %1 Antworten gelesen.</translation>
    </message>
    <message>
        <source>The installation has no stage to show.</source>
        <translation>Die Installation hat keine Seite, die gezeigt werden kann.</translation>
    </message>
    <message>
        <source>(set)</source>
        <translation>(gesetzt)</translation>
    </message>
    <message>
        <source>(not valid)</source>
        <translation>(nicht gültig)</translation>
    </message>
    <message>
        <source>Finishing the installation...</source>
        <translation>Die Installation wird abgeschlossen...</translation>
    </message>
    <message>
        <source>vantor: the stage &quot;%1&quot; (%2) cannot continue with the answers given: %3</source>
        <translation>vantor: Die Seite „%1“ (%2) kann mit den gegebenen Antworten nicht fortfahren: %3</translation>
    </message>
    <message>
        <source>Enter = %1</source>
        <translation>Eingabetaste = %1</translation>
    </message>
    <message>
        <source>This stage cannot continue yet: %1</source>
        <translation>Diese Seite kann noch nicht fortfahren: %1</translation>
    </message>
    <message>
        <source>e = change the answers</source>
        <translation>e = Antworten ändern</translation>
    </message>
    <message>
        <source>l = show the log</source>
        <translation>l = Protokoll anzeigen</translation>
    </message>
    <message>
        <source>  Unknown command &quot;%1&quot;.
</source>
        <translation>  Unbekannter Befehl „%1“.
</translation>
    </message>
    <message>
        <source>%1. Please try again.</source>
        <translation>%1. Bitte versuchen Sie es noch einmal.</translation>
    </message>
    <message>
        <source>%1 (Enter keeps the current one): </source>
        <translation>%1 (Eingabetaste behält das bisherige): </translation>
    </message>
    <message>
        <source>Repeat the password: </source>
        <translation>Kennwort wiederholen: </translation>
    </message>
    <message>
        <source>The passwords do not match. Please try again.</source>
        <translation>Die Kennwörter stimmen nicht überein. Bitte versuchen Sie es noch einmal.</translation>
    </message>
    <message>
        <source>Please answer %1 or %2.</source>
        <translation>Bitte antworten Sie mit %1 oder %2.</translation>
    </message>
    <message>
        <source>Numbers or ids, separated by commas, - for none</source>
        <translation>Nummern oder IDs, durch Kommas getrennt, - für keine</translation>
    </message>
    <message>
        <source>Number or id</source>
        <translation>Nummer oder ID</translation>
    </message>
    <message>
        <source>Please choose one.</source>
        <translation>Bitte wählen Sie eine aus.</translation>
    </message>
    <message>
        <source>Selected: %1</source>
        <translation>Ausgewählt: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>  %1: done</source>
        <translation>  %1: erledigt</translation>
    </message>
    <message>
        <source>  %1: failed (see the log)</source>
        <translation>  %1: fehlgeschlagen (siehe Protokoll)</translation>
    </message>
    <message>
        <source>End of input: the installation is cancelled.</source>
        <translation>Ende der Eingabe: Die Installation wird abgebrochen.</translation>
    </message>
    <message>
        <source>Answered &quot;no&quot; (unattended installation).</source>
        <translation>Mit „nein“ beantwortet (unbeaufsichtigte Installation).</translation>
    </message>
    <message>
        <source>The installation is complete.</source>
        <translation>Die Installation ist abgeschlossen.</translation>
    </message>
    <message>
        <source>The installation ended, but actions reported errors (exit status 3).</source>
        <translation>Die Installation ist beendet, aber Aktionen haben Fehler gemeldet (Exit-Status 3).</translation>
    </message>
    <message>
        <source>The installation was not completed (exit status %1).</source>
        <translation>Die Installation wurde nicht abgeschlossen (Exit-Status %1).</translation>
    </message>
    <message>
        <source>vantor: could not write the installation log: %1</source>
        <translation>vantor: Das Installationsprotokoll konnte nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>vantor: could not write the installation log %1</source>
        <translation>vantor: Das Installationsprotokoll %1 konnte nicht geschrieben werden</translation>
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
    <name>SV_PasswordVariable</name>
    <message>
        <source>the password and its confirmation differ</source>
        <translation>das Kennwort und seine Wiederholung unterscheiden sich</translation>
    </message>
    <message>
        <source>the password needs at least %1 characters</source>
        <translation>das Kennwort braucht mindestens %1 Zeichen</translation>
    </message>
    <message>
        <source>the password must not contain letters</source>
        <translation>das Kennwort darf keine Buchstaben enthalten</translation>
    </message>
    <message>
        <source>the password rule &quot;%1&quot; is unknown, so no password meets it</source>
        <translation>die Kennwortregel „%1“ ist unbekannt, also erfüllt sie kein Kennwort</translation>
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
    <name>SV_QtDirectoryInput</name>
    <message>
        <source>Choose a directory</source>
        <translation>Verzeichnis wählen</translation>
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
    <message>
        <source>Current step</source>
        <translation>Aktueller Schritt</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>What failed:</source>
        <translation>Was fehlgeschlagen ist:</translation>
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
    <message>
        <source>Why the installation cannot go on yet</source>
        <translation>Warum die Installation noch nicht weitergehen kann</translation>
    </message>
</context>
<context>
    <name>SV_Validators</name>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>eine ganze Zahl von %1 bis %2</translation>
    </message>
    <message>
        <source>a whole number of at least %1</source>
        <translation>eine ganze Zahl von mindestens %1</translation>
    </message>
    <message>
        <source>a whole number of at most %1</source>
        <translation>eine ganze Zahl von höchstens %1</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>eine ganze Zahl</translation>
    </message>
    <message>
        <source>a number from %1 to %2</source>
        <translation>eine Zahl von %1 bis %2</translation>
    </message>
    <message>
        <source>a number of at least %1</source>
        <translation>eine Zahl von mindestens %1</translation>
    </message>
    <message>
        <source>a number of at most %1</source>
        <translation>eine Zahl von höchstens %1</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>eine Zahl</translation>
    </message>
    <message>
        <source>a valid value</source>
        <translation>ein gültiger Wert</translation>
    </message>
    <message>
        <source>No value is given; %1 is needed</source>
        <translation>Es ist kein Wert angegeben; %1 wird gebraucht</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not %2</source>
        <translation>„%1“ ist nicht %2</translation>
    </message>
</context>
<context>
    <name>SV_Wizard</name>
    <message>
        <source>No stage is shown.</source>
        <translation>Es wird keine Seite gezeigt.</translation>
    </message>
    <message>
        <source>The installation is being finished.</source>
        <translation>Die Installation wird abgeschlossen.</translation>
    </message>
    <message>
        <source>The stage is being prepared.</source>
        <translation>Die Seite wird vorbereitet.</translation>
    </message>
    <message>
        <source>The stage&apos;s actions are still running.</source>
        <translation>Die Aktionen der Seite laufen noch.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The stage&apos;s continue conditions can never hold.</source>
        <translation>Die Bedingungen zum Fortfahren dieser Seite können nie erfüllt sein.</translation>
    </message>
    <message>
        <source>One of these must hold: %1</source>
        <translation>Eine dieser Bedingungen muss erfüllt sein: %1</translation>
    </message>
    <message>
        <source>The stage&apos;s continue conditions do not hold.</source>
        <translation>Die Bedingungen zum Fortfahren dieser Seite sind nicht erfüllt.</translation>
    </message>
    <message>
        <source>A condition of this stage names a variable that does not exist.</source>
        <translation>Eine Bedingung dieser Seite nennt eine Variable, die es nicht gibt.</translation>
    </message>
    <message>
        <source>%1 must not be empty.</source>
        <translation>%1 darf nicht leer sein.</translation>
    </message>
    <message>
        <source>%1 must be a valid password.</source>
        <translation>%1 muss ein gültiges Kennwort sein.</translation>
    </message>
    <message>
        <source>%1: %2.</source>
        <translation>%1: %2.</translation>
    </message>
    <message>
        <source>%1 must name an existing directory.</source>
        <translation>%1 muss ein vorhandenes Verzeichnis nennen.</translation>
    </message>
    <message>
        <source>%1: the directory %2 does not exist.</source>
        <translation>%1: Das Verzeichnis %2 gibt es nicht.</translation>
    </message>
    <message>
        <source>%1 must be %2.</source>
        <translation>%1 muss %2 sein.</translation>
    </message>
    <message>
        <source>%1 must not be %2.</source>
        <translation>%1 darf nicht %2 sein.</translation>
    </message>
    <message>
        <source>%1: a choice must be selected.</source>
        <translation>%1: Es muss etwas ausgewählt sein.</translation>
    </message>
    <message>
        <source>%1: %2 must be selected.</source>
        <translation>%1: %2 muss ausgewählt sein.</translation>
    </message>
    <message>
        <source>%1: no choice may be selected.</source>
        <translation>%1: Es darf nichts ausgewählt sein.</translation>
    </message>
    <message>
        <source>%1: %2 must not be selected.</source>
        <translation>%1: %2 darf nicht ausgewählt sein.</translation>
    </message>
    <message>
        <source>%1 does not meet the condition %2.</source>
        <translation>%1 erfüllt die Bedingung %2 nicht.</translation>
    </message>
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
</context>
</TS>
