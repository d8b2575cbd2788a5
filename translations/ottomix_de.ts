<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>ottomix::AboutWindow</name>
    <message>
        <source>Thank you for trying Ottomix 2.  We hope you are happy with this product and we would appreciate and feedback from you whether it is positive or negative.  Please either e-mail us or fill in the form on our homepage, there are links below.</source>
        <translation>Danke, dass Sie Ottomix 2 ausprobieren. Wir hoffen, Sie sind mit diesem Produkt zufrieden, und freuen uns über Ihre Meinung, ob positiv oder negativ. Schreiben Sie uns eine E-Mail oder füllen Sie das Formular auf unserer Homepage aus; die Links stehen unten.</translation>
    </message>
    <message>
        <source>About Mirrowen Software...</source>
        <translation>Über Mirrowen Software...</translation>
    </message>
    <message>
        <source>Ottomix logo</source>
        <translation>Ottomix-Logo</translation>
    </message>
    <message>
        <source>E-Mail:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>Homepage:</source>
        <translation>Webseite:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ottomix::Application</name>
    <message>
        <source>Unknown exception</source>
        <translation>Unbekannte Ausnahme</translation>
    </message>
</context>
<context>
    <name>ottomix::BrowserError</name>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Invalid filename</source>
        <translation>Ungültiger Dateiname</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Zu viele offene Dateien</translation>
    </message>
    <message>
        <source>File access denied</source>
        <translation>Dateizugriff verweigert</translation>
    </message>
    <message>
        <source>Read beyond end of file</source>
        <translation>Lesen über das Dateiende hinaus</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <source>Invalid numeric input</source>
        <translation>Ungültige numerische Eingabe</translation>
    </message>
    <message>
        <source>The volume does not respond</source>
        <translation>Der Datenträger antwortet nicht</translation>
    </message>
    <message>
        <source>%1 does not respond</source>
        <translation>%1 antwortet nicht</translation>
    </message>
    <message>
        <source>I/O error %1</source>
        <translation>E/A-Fehler %1</translation>
    </message>
</context>
<context>
    <name>ottomix::CoreText</name>
    <message>
        <source>File Successfully Encrypted!</source>
        <translation>Datei verschlüsselt!</translation>
    </message>
    <message>
        <source>File Successfully Decrypted!</source>
        <translation>Datei entschlüsselt!</translation>
    </message>
    <message>
        <source>Encryption Failed</source>
        <translation>Verschlüsseln misslungen</translation>
    </message>
    <message>
        <source>Decryption Failed</source>
        <translation>Entschlüsseln misslungen</translation>
    </message>
    <message>
        <source>Encryption Cancelled</source>
        <translation>Verschlüsseln abgebrochen</translation>
    </message>
    <message>
        <source>Decryption Cancelled</source>
        <translation>Entschlüsseln abgebrochen</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot use file %1 as input</source>
        <translation>Datei %1 kann nicht als Eingabe dienen</translation>
    </message>
    <message>
        <source>Cannot read file %1</source>
        <translation>Datei %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Datei %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot write file %1</source>
        <translation>Datei %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Cannot create files in directory %1</source>
        <translation>Im Verzeichnis %1 können keine Dateien angelegt werden</translation>
    </message>
    <message>
        <source>File %1 changed while it was being read</source>
        <translation>Datei %1 wurde während des Lesens verändert</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>option %1 takes no value</source>
        <translation>Option %1 nimmt keinen Wert</translation>
    </message>
    <message>
        <source>option %1 needs a value</source>
        <translation>Option %1 braucht einen Wert</translation>
    </message>
    <message>
        <source>not a regular file (a device, pipe or socket)</source>
        <translation>keine gewöhnliche Datei (ein Gerät, eine Pipe oder ein Socket)</translation>
    </message>
    <message>
        <source>it is this job&apos;s own output file %1</source>
        <translation>sie ist die Ausgabedatei %1 dieses Auftrags</translation>
    </message>
    <message>
        <source>it belongs to another user in a shared directory</source>
        <translation>sie gehört in einem gemeinsamen Verzeichnis einem anderen Benutzer</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>ottomix::HyperlinkLabel</name>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Open with...</source>
        <translation>Öffnen mit...</translation>
    </message>
    <message>
        <source>Copy Url to clipboard</source>
        <translation>URL in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
    </message>
    <message>
        <source>Could not write to clipboard</source>
        <translation>Die Zwischenablage hat den Text nicht angenommen</translation>
    </message>
</context>
<context>
    <name>ottomix::JobReport</name>
    <message>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>Encrypt</source>
        <translation>Verschlüsseln</translation>
    </message>
    <message>
        <source>Decrypt</source>
        <translation>Entschlüsseln</translation>
    </message>
    <message>
        <source>.

Select another file, or rename this one first.</source>
        <translation>.

Wählen Sie eine andere Datei, oder benennen Sie diese zuerst um.</translation>
    </message>
    <message>
        <source>%1 has been encrypted to %2, but Text Mode could not keep all of it:
</source>
        <translation>%1 wurde nach %2 verschlüsselt, aber der Textmodus konnte nicht alles davon behalten:
</translation>
    </message>
    <message>
        <source>1 lone CR byte</source>
        <translation>1 einzelnes CR-Byte</translation>
    </message>
    <message>
        <source>%1 lone CR bytes</source>
        <translation>%1 einzelne CR-Bytes</translation>
    </message>
    <message>
        <source>%1 from the end-of-file mark (Ctrl-Z) on</source>
        <translation>%1 ab der Dateiende-Marke (Strg-Z)</translation>
    </message>
    <message>
        <source>
- %1 left out by the text rules (%2).</source>
        <translation>
- %1 nach den Textregeln ausgelassen (%2).</translation>
    </message>
    <message>
        <source>
- The last %1 will not decrypt back: the encrypted text holds %2 that Text Mode cannot store (CR or Ctrl-Z).</source>
        <translation>
- Die letzten %1 lassen sich nicht zurück entschlüsseln: Der verschlüsselte Text enthält %2, die der Textmodus nicht speichern kann (CR oder Strg-Z).</translation>
    </message>
    <message>
        <source>1 value</source>
        <translation>1 Wert</translation>
    </message>
    <message>
        <source>%1 values</source>
        <translation>%1 Werte</translation>
    </message>
    <message>
        <source>

Binary Mode keeps every byte of a file.</source>
        <translation>

Der Binärmodus behält jedes Byte einer Datei.</translation>
    </message>
</context>
<context>
    <name>ottomix::LinkProperties</name>
    <message>
        <source>HyperLink Properties...</source>
        <translation>HyperLink-Eigenschaften...</translation>
    </message>
    <message>
        <source>Common</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Hyperlink</source>
        <translation>Hyperlink</translation>
    </message>
    <message>
        <source>Service:</source>
        <translation>Dienst:</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Adresse:</translation>
    </message>
    <message>
        <source>Visited:</source>
        <translation>Besucht:</translation>
    </message>
    <message>
        <source>Open with:</source>
        <translation>Öffnen mit:</translation>
    </message>
    <message>
        <source>The service of the THyperLink</source>
        <translation>Der Dienst des THyperLink</translation>
    </message>
    <message>
        <source>The address the HyperLink points to</source>
        <translation>Die Adresse, auf die der HyperLink zeigt</translation>
    </message>
    <message>
        <source>Associated Application (Registry)</source>
        <translation>Zugeordnete Anwendung (Registry)</translation>
    </message>
    <message>
        <source>The application will be used to open the HyperLink</source>
        <translation>Die Anwendung, die den HyperLink öffnet</translation>
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
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ottomix::LinkRegistry</name>
    <message>
        <source>Detaching Control that is not registered?</source>
        <translation>Nicht registriertes Steuerelement wird gelöst?</translation>
    </message>
    <message>
        <source>Could not save to file:</source>
        <translation>Konnte nicht speichern in Datei:</translation>
    </message>
    <message>
        <source>SaveFileError</source>
        <translation>Fehler beim Speichern der Datei</translation>
    </message>
    <message>
        <source>Select application for ...</source>
        <translation>Anwendung wählen für ...</translation>
    </message>
    <message>
        <source>Applications (*)</source>
        <translation>Anwendungen (*)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>ottomix::LinkTypes</name>
    <message>
        <source>Email Service</source>
        <translation>E-Mail-Dienst</translation>
    </message>
    <message>
        <source>Local File Service</source>
        <translation>Lokaler Dateidienst</translation>
    </message>
    <message>
        <source>Gopher Service</source>
        <translation>Gopher-Dienst</translation>
    </message>
    <message>
        <source>Hypertext Transport Protocol (HTTP)</source>
        <translation>Hypertext-Übertragungsprotokoll (HTTP)</translation>
    </message>
    <message>
        <source>Newsgroups (News)</source>
        <translation>Newsgroups (News)</translation>
    </message>
    <message>
        <source>WAIS Service</source>
        <translation>WAIS-Dienst</translation>
    </message>
    <message>
        <source>Telnet Service</source>
        <translation>Telnet-Dienst</translation>
    </message>
    <message>
        <source>File Transfer Protocol (FTP)</source>
        <translation>Dateiübertragungsprotokoll (FTP)</translation>
    </message>
    <message>
        <source>Customer Service</source>
        <translation>Kundendienst</translation>
    </message>
</context>
<context>
    <name>ottomix::MainWindow</name>
    <message>
        <source>Ottomix V2.1b - Mirrowen Software</source>
        <translation>Ottomix V2.1b - Mirrowen Software</translation>
    </message>
    <message>
        <source>Ottomix background picture</source>
        <translation>Ottomix-Hintergrundbild</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Encrypt</source>
        <translation>Verschlüsseln</translation>
    </message>
    <message>
        <source>Decrypt</source>
        <translation>Entschlüsseln</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Modus</translation>
    </message>
    <message>
        <source>Text Mode</source>
        <translation>Textmodus</translation>
    </message>
    <message>
        <source>Binary Mode</source>
        <translation>Binärmodus</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Viewer</source>
        <translation>Anzeige</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>The drive whose folders are listed</source>
        <translation>Das Laufwerk, dessen Ordner angezeigt werden</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Laufwerke</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Über...</translation>
    </message>
    <message>
        <source>Cannot open %1: A job is running</source>
        <translation>%1 kann nicht geöffnet werden: Ein Auftrag läuft</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
</context>
<context>
    <name>ottomix::PathToOpen</name>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>Hidden files are not listed</source>
        <translation>Versteckte Dateien werden nicht aufgeführt</translation>
    </message>
</context>
<context>
    <name>ottomix::ProgressWindow</name>
    <message>
        <source>Processing</source>
        <translation>In Arbeit</translation>
    </message>
    <message>
        <source>Working...</source>
        <translation>Bitte warten...</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>The job did not complete.</source>
        <translation>Der Auftrag wurde nicht beendet.</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Misslungen</translation>
    </message>
</context>
<context>
    <name>ottomix::Startup</name>
    <message>
        <source>Usage: ottomix [--help | --version] [--encrypt | --decrypt] [--] [FILE | DIRECTORY]
</source>
        <translation>Aufruf: ottomix [--help | --version] [--encrypt | --decrypt] [--] [DATEI | VERZEICHNIS]
</translation>
    </message>
    <message>
        <source>
Opens the Ottomix window, which scrambles and unscrambles one file at a
time. With FILE the browser starts in FILE&apos;s directory with FILE selected,
in Binary Mode when Text Mode (*.txt) would not list it. With DIRECTORY
the browser starts there. A path that cannot be opened is reported, and
the window starts as without one.

  --encrypt FILE, --decrypt FILE
              open FILE as above and encrypt or decrypt it at once
  --          end of options: what follows is the path
  -h, --help  show this text
  --version   show the version

The toolkit&apos;s standard options are taken too, for example -style fusion,
-platform wayland or -reverse.
</source>
        <translation>
Öffnet das Ottomix-Fenster, das jeweils eine Datei ver- und entschlüsselt.
Mit DATEI beginnt die Dateiauswahl im Verzeichnis der DATEI, mit der DATEI
ausgewählt, im Binärmodus, wenn der Textmodus (*.txt) sie nicht aufführt.
Mit VERZEICHNIS beginnt sie dort. Ein Pfad, der sich nicht öffnen lässt,
wird gemeldet, und das Fenster startet wie ohne ihn.

  --encrypt DATEI, --decrypt DATEI
              DATEI wie oben öffnen und sofort ver- oder entschlüsseln
  --          Ende der Optionen: Was folgt, ist der Pfad
  -h, --help  diesen Text zeigen
  --version   die Version zeigen

Die Standardoptionen des Toolkits werden ebenfalls angenommen, zum Beispiel
-style fusion, -platform wayland oder -reverse.
</translation>
    </message>
    <message>
        <source>one file or directory at most, not both %1 and %2</source>
        <translation>höchstens eine Datei oder ein Verzeichnis, nicht %1 und %2</translation>
    </message>
    <message>
        <source>--encrypt and --decrypt exclude each other</source>
        <translation>--encrypt und --decrypt schließen einander aus</translation>
    </message>
    <message>
        <source>--encrypt and --decrypt need the FILE to work on</source>
        <translation>--encrypt und --decrypt brauchen die DATEI, mit der sie arbeiten</translation>
    </message>
    <message>
        <source>%1: %2
Try &apos;%1 --help&apos; for more information.
</source>
        <translation>%1: %2
»%1 --help« gibt weitere Informationen.
</translation>
    </message>
    <message>
        <source>ottomix: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set)
</source>
        <translation>ottomix: keine Anzeige, auf der sich das Fenster öffnen ließe (DISPLAY und WAYLAND_DISPLAY sind nicht gesetzt)
</translation>
    </message>
    <message>
        <source>ottomix: cannot open the window: %1
</source>
        <translation>ottomix: das Fenster kann nicht geöffnet werden: %1
</translation>
    </message>
</context>
<context>
    <name>ottomix::SystemError</name>
    <message>
        <source>Operation not permitted</source>
        <translation>Die Operation ist nicht erlaubt</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>Datei oder Verzeichnis nicht gefunden</translation>
    </message>
    <message>
        <source>Interrupted system call</source>
        <translation>Unterbrochener Systemaufruf</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>Eingabe-/Ausgabefehler</translation>
    </message>
    <message>
        <source>No such device or address</source>
        <translation>Gerät oder Adresse nicht gefunden</translation>
    </message>
    <message>
        <source>Bad file descriptor</source>
        <translation>Ungültiger Dateideskriptor</translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation>Die Ressource ist zur Zeit nicht verfügbar</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>Speicher kann nicht zugewiesen werden</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Keine Berechtigung</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>Das Gerät oder die Ressource ist belegt</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>Die Datei existiert bereits</translation>
    </message>
    <message>
        <source>Invalid cross-device link</source>
        <translation>Ungültiger Link über Gerätegrenzen hinweg</translation>
    </message>
    <message>
        <source>No such device</source>
        <translation>Gerät nicht gefunden</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>Kein Verzeichnis</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Ist ein Verzeichnis</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>Ungültiges Argument</translation>
    </message>
    <message>
        <source>Too many open files in system</source>
        <translation>Zu viele offene Dateien im System</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Zu viele offene Dateien</translation>
    </message>
    <message>
        <source>Text file busy</source>
        <translation>Programmdatei ist in Benutzung</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>Datei zu groß</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>Auf dem Gerät ist kein Speicherplatz mehr frei</translation>
    </message>
    <message>
        <source>Illegal seek</source>
        <translation>Ungültige Positionierung</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>Dateisystem ist nur lesbar</translation>
    </message>
    <message>
        <source>Too many links</source>
        <translation>Zu viele Links</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>Unterbrochene Pipe</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>Dateiname zu lang</translation>
    </message>
    <message>
        <source>No locks available</source>
        <translation>Keine Sperren verfügbar</translation>
    </message>
    <message>
        <source>Function not implemented</source>
        <translation>Funktion nicht implementiert</translation>
    </message>
    <message>
        <source>Directory not empty</source>
        <translation>Verzeichnis nicht leer</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Zu viele Ebenen symbolischer Links</translation>
    </message>
    <message>
        <source>No data available</source>
        <translation>Keine Daten verfügbar</translation>
    </message>
    <message>
        <source>Link has been severed</source>
        <translation>Die Verbindung wurde getrennt</translation>
    </message>
    <message>
        <source>Value too large for defined data type</source>
        <translation>Wert zu groß für den Datentyp</translation>
    </message>
    <message>
        <source>Operation not supported</source>
        <translation>Die Operation wird nicht unterstützt</translation>
    </message>
    <message>
        <source>Transport endpoint is not connected</source>
        <translation>Der Transportendpunkt ist nicht verbunden</translation>
    </message>
    <message>
        <source>Connection timed out</source>
        <translation>Zeitüberschreitung bei der Verbindung</translation>
    </message>
    <message>
        <source>Connection refused</source>
        <translation>Verbindung abgelehnt</translation>
    </message>
    <message>
        <source>Host is down</source>
        <translation>Der Host ist nicht in Betrieb</translation>
    </message>
    <message>
        <source>No route to host</source>
        <translation>Keine Route zum Host</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>Veralteter Datei-Handle</translation>
    </message>
    <message>
        <source>Remote I/O error</source>
        <translation>Ein-/Ausgabefehler auf der Gegenseite</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>Speicherplatzkontingent überschritten</translation>
    </message>
    <message>
        <source>No medium found</source>
        <translation>Kein Medium gefunden</translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation>Die Operation wurde abgebrochen</translation>
    </message>
</context>
<context>
    <name>ottomix::TextViewer</name>
    <message>
        <source>Cannot open file %1</source>
        <translation>Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Failed to Load Stream</source>
        <translation>Datenstrom konnte nicht geladen werden</translation>
    </message>
    <message>
        <source>has more than %1 lines</source>
        <translation>hat mehr als %1 Zeilen</translation>
    </message>
    <message>
        <source>has more than %1 changes of format</source>
        <translation>hat mehr als %1 Formatwechsel</translation>
    </message>
    <message>
        <source>is longer than %1</source>
        <translation>ist länger als %1</translation>
    </message>
    <message>
        <source>%1 MiB</source>
        <translation>%1 MiB</translation>
    </message>
    <message>
        <source>%1 KiB</source>
        <translation>%1 KiB</translation>
    </message>
    <message>
        <source>[The file %1: only its beginning is shown.]</source>
        <translation>[Die Datei %1: nur ihr Anfang wird gezeigt.]</translation>
    </message>
</context>
<context>
    <name>ottomix::UserMessage</name>
    <message>
        <source>Ottomix 98</source>
        <translation>Ottomix 98</translation>
    </message>
</context>
</TS>
