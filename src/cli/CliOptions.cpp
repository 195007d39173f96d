#include "CliOptions.h"

#include "Conversions.h"

namespace zelmaro {

namespace {

std::optional<int> WholeNumber(const std::string& text)
{
    // Only plain decimal numbers; the conversion also takes "$1F".
    if (text.empty() || text.find_first_not_of("+-0123456789") != std::string::npos)
        return std::nullopt;
    return TryStrToInt(text);
}

} // namespace

TCliParse ParseCliArguments(const std::vector<std::string>& arguments)
{
    TCliParse result;
    TCliOptions& o = result.Options;
    auto fail = [&](std::string message) {
        result.Error = std::move(message);
        return result;
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
        } else if (a == "--auto-offset") {
            o.AutoOffset = true;
        } else if (a == "--list-palm-users") {
            o.ListPalmUsers = true;
        } else if (a == "--log" || a == "--palm-user") {
            const auto v = value();
            if (!v)
                return fail("Zu \"" + a + "\" fehlt der Wert.");
            (a == "--log" ? o.LogFile : o.PalmUser) = *v;
        } else if (a == "--offset" || a == "--tolerance") {
            const auto v = value();
            const auto n = v ? WholeNumber(*v) : std::nullopt;
            if (!n)
                return fail("Zu \"" + a + "\" gehört eine ganze Zahl.");
            (a == "--offset" ? o.Offset : o.Tolerance) = *n;
        } else if (a == "--format") {
            const auto v = value();
            if (v == "table")
                o.Format = TOutputFormat::ofTable;
            else if (v == "csv")
                o.Format = TOutputFormat::ofCsv;
            else if (v == "json")
                o.Format = TOutputFormat::ofJson;
            else
                return fail("\"--format\" nimmt table, csv oder json.");
        } else if (a.size() > 1 && a.starts_with("-") && a != "--") {
            return fail("Unbekannte Option \"" + a + "\".");
        } else {
            if (a == "--") {
                if (i + 1 >= arguments.size())
                    return fail("Nach \"--\" fehlt das Verzeichnis.");
                ++i;
            }
            if (!o.Directory.empty())
                return fail("Nur ein Verzeichnis ist erlaubt.");
            o.Directory = arguments[i];
        }
    }
    if (o.Help || o.ListPalmUsers)
        return result;
    if (o.Directory.empty())
        return fail("Das Verzeichnis fehlt.");
    if (o.LogFile && o.PalmUser)
        return fail("\"--log\" und \"--palm-user\" schließen einander aus.");
    if (o.Offset && o.AutoOffset)
        return fail("\"--offset\" und \"--auto-offset\" schließen einander aus.");
    return result;
}

std::string CliUsage()
{
    return R"(Aufruf: zelmaro-cli VERZEICHNIS [Optionen]
       zelmaro-cli --list-palm-users

Liest die Bilder des Verzeichnisses mit exiftool (Aufnahmedatum und
Verschlusszeit), liest das Aufnahmeprotokoll, ordnet beides einander zu und
zeigt die Zuordnung als Tabelle: Bildname, Bilddatum, Verschlusszeit des
Bildes, Zeitvergleich ("=" gleich, "~" nahe, "<>" verschieden),
Aufnahmedatum und Verschlusszeit des Protokolls. Angehakt ([x]) sind die
Zeilen, deren Bild zur selben Zeit aufgenommen wurde, aber eine andere
Verschlusszeit trägt als das Protokoll.

Optionen:
  --log DATEI          Protokoll aus DATEI lesen (sonst VERZEICHNIS/Zelmaro.txt,
                       wenn es sie gibt)
  --palm-user NAME     Protokoll aus den "Zelmaro"-Memos dieses
                       Palm-Desktop-Benutzers lesen
  --offset N           Versatz in Sekunden (Bildzeit = Protokollzeit + N),
                       -300 bis 300; Vorgabe 0
  --auto-offset        den Versatz suchen, unter dem die meisten Bilder und
                       Einträge genau übereinstimmen
  --tolerance T        Toleranz in Sekunden, 0 bis 2; Vorgabe 1
  --write              die Verschlusszeit des Protokolls in jedes angehakte
                       Bild schreiben, es neu lesen und die Tabelle erneut zeigen;
                       jedes Bild, das den Wert nicht übernommen hat, steht mit
                       dem Grund auf der Fehlerausgabe
  --format F           Ausgabe als table (Vorgabe), csv oder json
  --list-palm-users    die Palm-Desktop-Benutzer zeigen (Nummer, Name,
                       Verzeichnis)
  --help               diese Hilfe

Angehakt wird nur, was ein Bild aufnehmen kann: eine Verschlusszeit über 0
und höchstens 4294967295 Sekunden. Geschrieben wird in das Verzeichnis, aus
dem die Bilder gelesen wurden, und nur in Bilder, die sich seither nicht
geändert haben und nicht schreibgeschützt sind.

Mit --format json steht auf der Standardausgabe genau ein JSON-Objekt:
  {"offset": N, "tolerance": T, "rows": [{"checked": true|false,
   "image": ..., "imageDate": ..., "imageExposure": ..., "time": ...,
   "shotDate": ..., "shotExposure": ...}, ...]}
mit --write zusätzlich "written": [Bildnamen] und
"failed": [{"image": Bildname, "reason": Grund}]; "rows" ist dann die
Tabelle nach dem Schreiben. Texte sind die der Tabelle; Bytes eines Namens,
die kein UTF-8 sind, stehen als Latin-1-Zeichen darin.

Zahlen und Daten erscheinen im Format der Spracheinstellung (LC_ALL, LANG).
Der Fortschritt steht auf der Fehlerausgabe; Strg+C bricht nach dem
laufenden Bild ab. exiftool wird im Verzeichnis des Programms gesucht,
danach im PATH.

Rückgabewert: 0 bei Erfolg, 1 nach einem Fehler (fehlendes exiftool, ein Bild,
das sich nicht lesen lässt, ein angehaktes Bild, das den Wert nicht
übernommen hat), 2 bei falschem Aufruf, 130 nach Strg+C (die bis dahin
geschriebenen Bilder sind neu gelesen).
)";
}

} // namespace zelmaro
