#include "cli/CliOptions.h"

#include "shotlog/LogValues.h"
#include "support/Conversions.h"
#include "support/DateTime.h"
#include "support/Messages.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace zelmaro {

namespace {

constexpr int kMaxOffsetBound = std::numeric_limits<std::int32_t>::max();
constexpr const char* kMaxOffsetBoundText = "596523:14:07";
static_assert(596523 * 3600LL + 14 * 60 + 7 == kMaxOffsetBound);

std::optional<int> WholeNumber(const std::string& text)
{
    // Only plain decimal numbers; the conversion also takes "$1F".
    if (text.empty() || text.find_first_not_of("+-0123456789") != std::string::npos)
        return std::nullopt;
    return TryStrToInt(text);
}

// Whole seconds, or [-]H:MM:SS.
std::optional<int> Seconds(const std::string& text)
{
    if (text.find(':') == std::string::npos)
        return WholeNumber(text);
    const std::optional<long long> seconds = HoursMinutesSecondsToSeconds(text);
    if (!seconds || *seconds > std::numeric_limits<int>::max() ||
        *seconds < -std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*seconds);
}

} // namespace

TCliParse ParseCliArguments(const std::vector<std::string>& arguments)
{
    TCliOptions o;
    std::optional<std::string> timeFormat;
    auto fail = [&](std::string message) -> TCliParse {
        return {Fail(std::move(message)), o.Format};
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (a == "--help" || a == "-h") {
            o.Help = true;
        } else if (a == "--write") {
            o.Write = true;
        } else if (a == "--write-all") {
            o.WriteAll = true;
        } else if (a == "--dry-run") {
            o.DryRun = true;
        } else if (a == "--sidecar" || a.starts_with("--sidecar=")) {
            const std::optional<TSidecar> naming =
                a == "--sidecar" ? TSidecar::svXmp : SidecarNamingFromText(a.substr(10));
            if (!naming)
                return fail(Tr("\"--sidecar\" nimmt xmp (NAME.xmp) oder ext.xmp (NAME.EXT.xmp)."));
            o.Sidecar = *naming;
        } else if (a == "--restore") {
            o.Restore = true;
        } else if (a == "--delete-originals") {
            o.DeleteOriginals = true;
        } else if (a == "--auto-offset") {
            o.AutoOffset = true;
        } else if (a == "--list-palm-users") {
            o.ListPalmUsers = true;
        } else if (a == "--log" || a == "--palm-user") {
            const auto v = value();
            if (!v)
                return fail(Fill(Tr("Zu \"%1\" fehlt der Wert."), a));
            (a == "--log" ? o.LogFile : o.PalmUser) = *v;
        } else if (a == "--tolerance") {
            // The window's field keeps to the range; here a value beyond it is
            // a mistake rather than something to bring into it.
            const auto v = value();
            const auto n = v ? WholeNumber(*v) : std::nullopt;
            if (!n || *n < kMinTolerance || *n > kMaxTolerance)
                return fail(Fill(Tr("Zu \"%1\" gehört eine ganze Zahl von %2 bis %3."), a,
                                 kMinTolerance, kMaxTolerance));
            o.Tolerance = *n;
        } else if (a == "--offset") {
            const auto v = value();
            const auto n = v ? Seconds(*v) : std::nullopt;
            if (!n)
                return fail(Fill(Tr("Zu \"%1\" gehört eine ganze Zahl oder [-]H:MM:SS."), a));
            o.Offset = *n;
        } else if (a == "--max-offset") {
            // An offset is a signed 32-bit difference of two moments.
            const auto v = value();
            const auto n = v ? Seconds(*v) : std::nullopt;
            if (!n || *n < 0)
                return fail(
                    Fill(Tr("Zu \"%1\" gehört eine ganze Zahl von 0 bis %2 oder H:MM:SS bis %3."),
                         a, kMaxOffsetBound, kMaxOffsetBoundText));
            o.MaxOffset = *n;
        } else if (a == "--align") {
            const auto v = value();
            o.AlignNearest = v == "nearest";
            o.AlignName = v == "name";
            o.AlignFrame = v == "frame";
            if (v != "positional" && !o.AlignNearest && !o.AlignName && !o.AlignFrame)
                return fail(Tr("\"--align\" nimmt positional, nearest, name oder frame."));
        } else if (a == "--first-frame") {
            const auto v = value();
            const auto n = v ? WholeNumber(*v) : std::nullopt;
            if (!n || *n < 0)
                return fail(Fill(Tr("Zu \"%1\" gehört eine ganze Zahl ab 0."), a));
            o.FirstFrame = static_cast<std::uint32_t>(*n);
        } else if (a == "--columns") {
            const auto v = value();
            if (!v)
                return fail(Fill(Tr("Zu \"%1\" fehlt der Wert."), a));
            TResult<TColumnMapping> mapping = ParseColumnMapping(*v);
            if (!mapping)
                return fail(mapping.Error());
            const std::string format = o.Columns ? o.Columns->TimeFormat : std::string();
            o.Columns = *mapping;
            o.Columns->TimeFormat = format;
        } else if (a == "--time-format") {
            const auto v = value();
            if (!v || !IsMomentPattern(*v))
                return fail(Fill(Tr("Zu \"%1\" gehört ein Muster mit YYYY (oder YY), MM, DD, hh "
                                    "und mm, etwa \"DD.MM.YYYY hh:mm:ss\", oder unix."),
                                 a));
            timeFormat = *v;
        } else if (a == "--format") {
            const auto v = value();
            if (v == "table")
                o.Format = TOutputFormat::ofTable;
            else if (v == "csv")
                o.Format = TOutputFormat::ofCsv;
            else if (v == "json")
                o.Format = TOutputFormat::ofJson;
            else
                return fail(Tr("\"--format\" nimmt table, csv oder json."));
        } else if (a.size() > 1 && a.starts_with("-") && a != "--") {
            return fail(Fill(Tr("Unbekannte Option \"%1\"."), a));
        } else {
            if (a == "--") {
                if (i + 1 >= arguments.size())
                    return fail(Tr("Nach \"--\" fehlt das Verzeichnis."));
                ++i;
            }
            if (!o.Directory.empty())
                return fail(Tr("Nur ein Verzeichnis ist erlaubt."));
            o.Directory = arguments[i];
        }
    }
    if (timeFormat) {
        if (!o.Columns)
            return fail(Tr("\"--time-format\" gilt nur mit \"--columns\"."));
        o.Columns->TimeFormat = *timeFormat;
    }
    if (o.Help || o.ListPalmUsers)
        return {o, o.Format};
    if (o.Directory.empty())
        return fail(Tr("Das Verzeichnis fehlt."));
    if (o.LogFile && o.PalmUser)
        return fail(Tr("\"--log\" und \"--palm-user\" schließen einander aus."));
    if (o.Restore + o.DeleteOriginals + o.Write + o.DryRun > 1)
        return fail(Tr("\"--restore\", \"--delete-originals\", \"--write\" und \"--dry-run\" "
                       "schließen einander aus."));
    if (o.DryRun && o.Format != TOutputFormat::ofTable)
        return fail(Tr("\"--dry-run\" schreibt die Argumentdatei, keine Tabelle; \"--format\" "
                       "passt nicht dazu."));
    if (o.Offset && o.AutoOffset)
        return fail(Tr("\"--offset\" und \"--auto-offset\" schließen einander aus."));
    return {o, o.Format};
}

std::string CliUsage()
{
    // In parts, each a paragraph or more, so a change shows where it is.
    return Tr(R"(Aufruf: zelmaro-cli VERZEICHNIS [Optionen]
       zelmaro-cli --list-palm-users

Liest die Bilder des Verzeichnisses mit exiftool (Aufnahmedatum und
Verschlusszeit), liest das Aufnahmeprotokoll, ordnet beides einander zu und
zeigt die Zuordnung als Tabelle: Bildname, Bilddatum, Verschlusszeit des
Bildes, Zeitvergleich ("=" gleich, "~" nahe, "<>" verschieden),
Aufnahmedatum und Verschlusszeit des Protokolls. Angehakt ([x]) sind die
Zeilen, deren Bild zur selben Zeit aufgenommen wurde, aber eine andere
Verschlusszeit trägt als das Protokoll.

Bilddateien: CR2 CRW DNG JPG JPEG MRW NEF ORF PEF PSD TIF TIFF CR3 ARW SR2 RAF
RW2 RWL NRW SRW IIQ ERF X3F HEIC HEIF; die Zeit eines Bildes ist die der
Kamerauhr (EXIF), nie die UTC-Zeit eines Containers.
)") + Tr(R"(
Optionen:
  --log DATEI          Protokoll aus DATEI lesen (sonst VERZEICHNIS/Zelmaro.txt,
                       wenn es sie gibt); das Format wird am Inhalt erkannt:
                       Zelmaro.txt, CHDK rawopint, N.I.N.A. Session Metadata
                       (CSV, JSON), Lightme Logbook und exiftool -json
                       (JSON mit exiftool-Namen), Exif Notes, Canon ES-E1
                       (EOS-1V, EOS-3), Nikon MV-1, exiftool -csv, oder eine
                       Tabelle nach --columns; eine Zeile auf der Fehlerausgabe sagt,
                       wie viele Einträge gelesen und wie viele Zeilen mit Text
                       übergangen wurden ("35 Einträge gelesen, 2 Zeilen
                       übergangen"); ergibt eine Datei keinen Eintrag, sagt
                       eine Warnung, warum
  --columns ZUORDNUNG  Spalten einer Tabelle (CSV, durch Komma, Semikolon
                       oder Tabulator getrennt), die kein bekanntes Format
                       hat: time=SPALTE,exposure=SPALTE[,date=SPALTE]
                       [,file=SPALTE][,frame=SPALTE]; mit date= hält time=
                       die Uhrzeit. Dezimalkomma und -punkt gelten beide
  --time-format MUSTER wie die Zeit in der Spalte time= (mit date=: Datum,
                       Leerzeichen, Uhrzeit) steht: YYYY oder YY, MM, DD, hh,
                       mm, ss, z.B. "DD.MM.YYYY hh:mm:ss", oder unix
                       (Sekunden seit 1970); ohne wird sie erkannt
  --palm-user NAME     Protokoll aus den "Zelmaro"-Memos dieses
                       Palm-Desktop-Benutzers lesen
  --offset N           Versatz in Sekunden (Bildzeit = Protokollzeit + N) oder
                       als [-]H:MM:SS (-1:00:07); Vorgabe 0
  --max-offset N       Bereich des Versatzes: -N bis N Sekunden (auch H:MM:SS),
                       N von 0 bis 2147483647 (596523:14:07), der größte
                       Abstand zweier Zeitpunkte, den ein Versatz fassen kann;
                       Vorgabe 300. Ein Versatz von --offset außerhalb wird auf
                       die nähere Grenze gesetzt; --auto-offset sucht nur darin.
                       Kamera auf Sommerzeit: --auto-offset --max-offset 7200
  --auto-offset        den Versatz im Bereich suchen, unter dem die meisten
                       Bilder und Einträge genau übereinstimmen (von gleich
                       guten den nächsten an 0, von -k und k -k); eine Zeile
                       auf der Fehlerausgabe sagt, wie viele es sind und welcher
                       Versatz im Bereich der nächstbeste ist, oder, wenn einer
                       außerhalb mehr Paare ergibt, dass der beste außerhalb
                       des Bereichs liegt
  --align A            Zuordnung der Zeilen: positional (Vorgabe; Zeile für
                       Zeile um das nächste Paar), nearest (jedes Bild zum
                       zeitlich nächsten Eintrag, ohne die Reihenfolge zu
                       ändern; ein fehlender Eintrag verschiebt nichts),
                       name (nach dem Dateinamen, den das Protokoll nennt:
                       ohne Ordner und Endung, Groß- und Kleinschreibung
                       gleich; ohne Uhr) oder frame (nach der Bildnummer:
                       Bild N des Protokolls zum N-ten Bild in Namensfolge,
                       oder zur Nummer im Namen, wenn jeder Name eine hat,
                       etwa roll12_07.tif; ohne Uhr). "=" heißt dann: Name
                       oder Nummer stimmen überein
  --first-frame N      mit --align frame: die Nummer des ersten Bildes in
                       Namensfolge; Vorgabe 1
  --tolerance T        Toleranz in Sekunden, 0 bis 2 (ein anderer Wert ist ein
                       falscher Aufruf); Vorgabe 1
  --write              die Verschlusszeit des Protokolls in jedes angehakte
                       Bild schreiben (ExposureTime und ShutterSpeedValue), es
                       neu lesen und die Tabelle erneut zeigen; jedes Bild, das
                       den Wert nicht übernommen hat, steht mit dem Grund auf
                       der Fehlerausgabe, ebenso ein Hinweis, wo die Datei eine
                       andere Bulb-Dauer trägt, die manche Programme zeigen
  --write-all          mit der Verschlusszeit alle Werte des Protokolls
                       eintragen, wo es sie nennt: Blende (FNumber und
                       ApertureValue), ISO, FocalLength, LensModel und, bei
                       --align name oder frame (Filmscans), den Zeitpunkt als
                       DateTimeOriginal; angehakt wird dann auch eine Zeile,
                       in der nur einer dieser Werte abweicht, und jeder Wert
                       wird zurückgelesen; auch mit --dry-run
  --dry-run            nichts schreiben, sondern die Argumentdatei für exiftool
                       ausgeben, die --write ausführen würde (statt der
                       Tabelle; "exiftool -@ DATEI" führt sie aus); die
                       Prüfungen vor dem Schreiben können noch Bilder auslassen
  --sidecar[=N]        die Werte statt in die Bilder in ihre XMP-Begleitdateien
                       schreiben, die Raw-Entwickler lesen: N ist xmp
                       (NAME.xmp, Vorgabe) oder ext.xmp (NAME.EXT.xmp). Eine
                       vorhandene wird ergänzt, alles andere darin bleibt,
                       eine fehlende legt das Programm selbst an (schneller
                       als exiftool); ein Bild wird nie zum Schreiben
                       geöffnet. Hält die Begleitdatei eines Bildes eine
                       Verschlusszeit, zeigt die Tabelle diese (mit
                       --format json: "imageExposureFromSidecar": true), und
                       nach dem Schreiben wird sie neu gelesen
  --restore            statt zuzuordnen: jedes Bild des Verzeichnisses, dessen
                       Original exiftool beim ersten Schreiben als
                       NAME_original aufbewahrt hat, durch dieses Original
                       ersetzen, auch ein fehlendes Bild, ebenso jede
                       XMP-Begleitdatei durch NAME.xmp_original (eine, die
                       --sidecar angelegt hat, wird wieder entfernt); nennt
                       jedes auf der Ausgabe
  --delete-originals   statt zuzuordnen: diese Originale ohne Rückfrage löschen,
                       doch nur, wo ihr Bild als Datei daneben liegt (sonst
                       bleibt es und wird genannt); nennt jedes auf der Ausgabe
  --format F           Ausgabe als table (Vorgabe), csv oder json
  --list-palm-users    die Palm-Desktop-Benutzer zeigen, je Zeile Nummer,
                       Name und Verzeichnis durch Tabulatoren getrennt (der
                       Name aus Windows-1252 umgewandelt, das Verzeichnis
                       so, wie es im Dateisystem steht)
  --help               diese Hilfe
)") + Tr(R"(
Angehakt wird nur, was ein Bild aufnehmen kann: eine Verschlusszeit über 0
und höchstens 4294967295 Sekunden. Geschrieben wird in das Verzeichnis, aus
dem die Bilder gelesen wurden, und nur in Bilder, die sich seither nicht
geändert haben und nicht schreibgeschützt sind.
)") + Tr(R"(
Mit --format json steht auf der Standardausgabe genau ein JSON-Objekt:
  {"offset": N, "tolerance": T, "rows": [{"checked": true|false,
   "image": ..., "imageDate": ..., "imageExposure": ..., "time": ...,
   "shotDate": ..., "shotExposure": ...}, ...]}
wo das Protokoll sie nennt, hat eine Zeile dazu "shotFile" (die Datei, die
das Protokoll nennt), "frame", "aperture" (Blendenzahl), "iso",
"focalLength" (mm) und "lens"; mit --write-all, wo das Bild sie trägt,
"imageAperture", "imageIso", "imageFocalLength", "imageLens" und
"imageDateTimeOriginal", und "differs": die Schlüssel ("aperture", "iso",
"focalLength", "lens", "dateTimeOriginal") der Werte des Protokolls, die
das Bild nicht trägt;
mit --write zusätzlich "written": [Bildnamen] und
"failed": [{"image": Bildname, "reason": Grund}]; "rows" ist dann die
Tabelle nach dem Schreiben. Texte sind die der Tabelle; Bytes eines Namens,
die kein UTF-8 sind, stehen als Latin-1-Zeichen darin.
Mit --auto-offset zusätzlich "autoOffset": {"offset", "pairs", "runnerUp",
"runnerUpPairs", "best"}: der gesetzte Versatz, die genauen Paare darunter, der
nächstbeste Versatz im Bereich (null, wenn es keinen gibt) mit seinen Paaren
und der beste Versatz überhaupt, der nur dann nicht der gesetzte ist, wenn er
außerhalb des Bereichs mehr Paare ergibt (null statt des Objekts ohne Bilder
oder Einträge).
Auch ein Lauf, der scheitert oder abgebrochen wird, schreibt genau ein Objekt,
dann mit "error": Text vorneweg und dem, was bis dahin feststand: "offset"
und "tolerance"; sobald die Tabelle steht, auch "rows" und "autoOffset"; mit
--write auch "written" und "failed", wo dann jedes angehakte Bild steht, das
der Lauf nicht mehr geschrieben hat. Ein falscher Aufruf, der erst nach
--format json auffällt, ergibt {"error": Text}. --restore,
--delete-originals und --list-palm-users schreiben Zeilen, kein JSON.

Steuerzeichen in Namen und Texten erscheinen in Tabelle, CSV, Fortschritt
und Meldungen sichtbar als \t, \n, \r und \xHH je Byte (auch DEL und C1,
etwa \x1b, \xc2\x9b); alles andere, auch ein Backslash, bleibt, wie es ist.
JSON schreibt sie als \u00XX. Eine CSV-Zelle, die mit =, +, -, @, Tabulator
oder Wagenrücklauf beginnt, bekommt ein ' vorangestellt, damit eine
Tabellenkalkulation sie als Text liest (auch die Spalte "=" wird so zu "'=").
)") + Tr(R"(
Schreiben, --restore und --delete-originals sperren das Verzeichnis (die
Datei .zelmaro.lock, danach entfernt); ein zweiter Lauf, der dort schreiben
will, wartet bis zu 3 s und gibt dann mit einer Warnung auf, ohne etwas zu
ändern. Eine Abfrage von exiftool, die länger als 30 s dauert, gilt als
Fehler des Bildes; ein Schreiben wird nie abgebrochen, nur abgewartet (alle
10 s sagt eine Zeile, dass es noch läuft). Endet exiftool beim Schreiben,
wird das Bild mit dem genannt, was übrig blieb (NAME_original,
NAME_exiftool_tmp); NAME_exiftool_tmp wird nie gelöscht, und ein Bild
daneben wird erst wieder geschrieben, wenn es fort ist.

Zahlen und Daten erscheinen im Format der Spracheinstellung (LC_ALL, LANG).
Der Fortschritt steht auf der Fehlerausgabe; Strg+C oder SIGTERM bricht ab:
eine hängende Abfrage sofort, ein laufendes Schreiben erst, wenn es fertig
und neu gelesen ist. Ein zweites Strg+C beendet das Programm sofort. Kein
exiftool überlebt das Programm, auch nicht, wenn es getötet oder seine
Ausgabe geschlossen wird (| head). exiftool wird im Verzeichnis des
Programms gesucht, danach im PATH.

Rückgabewert: 0 bei Erfolg, 1 nach einem Fehler (fehlendes exiftool, ein Bild,
das sich nicht lesen lässt, ein angehaktes Bild, das den Wert nicht
übernommen hat, ein Original, das sich nicht zurückholen oder löschen lässt,
ein anderer Lauf, der gerade in das Verzeichnis schreibt, eine geschlossene
Ausgabe, mit --write eine Protokolldatei ohne Eintrag: dann wird nichts
geschrieben),
2 bei falschem Aufruf, 130 nach Strg+C (die bis dahin geschriebenen Bilder sind
neu gelesen).
)");
}

} // namespace zelmaro
