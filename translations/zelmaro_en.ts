<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="de">
<context>
    <name>zelmaro</name>
    <message>
        <source>Unbekannter Fehler</source>
        <translation>Unknown error</translation>
    </message>
</context>
<context>
    <name>zelmaro::ChooseLogColumns</name>
    <message>
        <source>Zeitpunkt:</source>
        <translation>Moment:</translation>
    </message>
    <message>
        <source>Datum (getrennt):</source>
        <translation>Date (separate):</translation>
    </message>
    <message>
        <source>Belichtungszeit:</source>
        <translation>Exposure time:</translation>
    </message>
    <message>
        <source>Dateiname:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>Bildnummer:</source>
        <translation>Frame number:</translation>
    </message>
    <message>
        <source>Spalten des Protokolls</source>
        <translation>Columns of the log</translation>
    </message>
    <message>
        <source>(keine)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>Zeitformat:</source>
        <translation>Time format:</translation>
    </message>
    <message>
        <source>Kein bekanntes Format. Welche Spalten enthalten was?</source>
        <translation>No known format. Which columns hold what?</translation>
    </message>
    <message>
        <source>von selbst erkannt, sonst z. B. DD.MM.YYYY hh:mm:ss</source>
        <translation>recognised by itself, else e.g. DD.MM.YYYY hh:mm:ss</translation>
    </message>
</context>
<context>
    <name>zelmaro::TAbout</name>
    <message>
        <source>E-Mail:</source>
        <translation>E-mail:</translation>
    </message>
    <message>
        <source>Internet:</source>
        <translation>Internet:</translation>
    </message>
    <message>
        <source>Version </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>Lizenz:</source>
        <translation>Licence:</translation>
    </message>
    <message>
        <source>Verfügbarer Arbeitsspeicher:</source>
        <translation>Available memory:</translation>
    </message>
    <message>
        <source>Plattform, CPU:</source>
        <translation>Platform, CPU:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Info über </source>
        <translation>About </translation>
    </message>
    <message>
        <source>Systemressourcen:</source>
        <translation>System resources:</translation>
    </message>
</context>
<context>
    <name>zelmaro::TImageTableModel</name>
    <message>
        <source>Angekreuzte Zeilen werden eingetragen.

Grün: Zeit und Verschlusszeit gleich – nichts zu tun
Fett: Zeit gleich, Verschlusszeit anders – eintragen
Kursiv: Zeit knapp daneben – von Hand ankreuzbar
Grau: Bild oder Protokolleintrag fehlt
Normal: Zeit zu weit daneben

Leertaste: markierte Zeilen umschalten
Strg+Umschalt+A: alle schreibbaren ankreuzen
Strg+Umschalt+K: keine ankreuzen
Der Tooltip einer Zeile nennt den Grund.</source>
        <translation>Ticked rows are written.

Green: time and exposure agree – nothing to do
Bold: same time, other exposure – to be written
Italic: time a little off – may be ticked by hand
Grey: image or log entry missing
Normal: time too far off

Space: toggle the selected rows
Ctrl+Shift+A: tick every writable row
Ctrl+Shift+K: tick none
Each row&apos;s tooltip gives the reason.</translation>
    </message>
    <message>
        <source>Bildname</source>
        <translation>Image name</translation>
    </message>
    <message>
        <source>Bilddatum</source>
        <translation>Image date</translation>
    </message>
    <message>
        <source>Verschlusszeit</source>
        <translation>Exposure</translation>
    </message>
    <message>
        <source>Aufnahmedatum</source>
        <translation>Shot date</translation>
    </message>
</context>
<context>
    <name>zelmaro::TImagesView</name>
    <message>
        <source>Alle ankreuzen</source>
        <translation>Tick all</translation>
    </message>
    <message>
        <source>Keine ankreuzen</source>
        <translation>Tick none</translation>
    </message>
    <message>
        <source>Legende...</source>
        <translation>Legend...</translation>
    </message>
</context>
<context>
    <name>zelmaro::TfrmInfo</name>
    <message>
        <source>Lese Verzeichnis:</source>
        <translation>Reading directory:</translation>
    </message>
    <message>
        <source>Gefundene Dateien:</source>
        <translation>Files found:</translation>
    </message>
    <message>
        <source>Lese Daten von Datei:</source>
        <translation>Reading data of file:</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zelmaro::TfrmMain</name>
    <message>
        <source>Verzeichnis:</source>
        <translation>Directory:</translation>
    </message>
    <message>
        <source>Auslesen</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>&quot;Zelmaro.txt&quot; auslesen</source>
        <translation>Read &quot;Zelmaro.txt&quot;</translation>
    </message>
    <message>
        <source>PalmDesktop Memo auslesen</source>
        <translation>Read PalmDesktop memo</translation>
    </message>
    <message>
        <source>User:</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>Protokoll öffnen…</source>
        <translation>Open log…</translation>
    </message>
    <message>
        <source>Zuordnung:</source>
        <translation>Pairing:</translation>
    </message>
    <message>
        <source>Originale</source>
        <translation>Originals</translation>
    </message>
    <message>
        <source>Versatz:</source>
        <translation>Offset:</translation>
    </message>
    <message>
        <source>Versatz</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Sekunden oder [-]H:MM:SS</source>
        <translation>Seconds or [-]H:MM:SS</translation>
    </message>
    <message>
        <source>Toleranz:</source>
        <translation>Tolerance:</translation>
    </message>
    <message>
        <source>Werte in Bilder eintragen</source>
        <translation>Write values into images</translation>
    </message>
    <message>
        <source>Über...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Zusammenfassung</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>der Reihe nach</source>
        <translation>in order</translation>
    </message>
    <message>
        <source>nach Zeit</source>
        <translation>by time</translation>
    </message>
    <message>
        <source>Originale wiederherstellen</source>
        <translation>Restore originals</translation>
    </message>
    <message>
        <source>Originale löschen</source>
        <translation>Delete originals</translation>
    </message>
    <message>
        <source>Alle protokollierten Werte eintragen</source>
        <translation>Write all logged values</translation>
    </message>
    <message>
        <source>Versatz automatisch finden</source>
        <translation>Find offset automatically</translation>
    </message>
    <message>
        <source>Protokoll öffnen</source>
        <translation>Open log</translation>
    </message>
    <message>
        <source>Übernehmen?</source>
        <translation>Take it?</translation>
    </message>
    <message>
        <source>Erste Nr.:</source>
        <translation>First no.:</translation>
    </message>
    <message>
        <source>nach Dateiname</source>
        <translation>by file name</translation>
    </message>
    <message>
        <source>nach Bildnummer</source>
        <translation>by frame number</translation>
    </message>
    <message>
        <source>Protokolle (*.txt *.csv *.tsv *.json);;Alle Dateien (*)</source>
        <translation>Logs (*.txt *.csv *.tsv *.json);;All files (*)</translation>
    </message>
    <message>
        <source>In XMP-Begleitdatei schreiben</source>
        <translation>Write into XMP sidecar</translation>
    </message>
    <message>
        <source>Name der Begleitdatei</source>
        <translation>Sidecar name</translation>
    </message>
</context>
</TS>
