// One fixture per format, each written from the format's published layout,
// read to the entries it holds.
#include "shotlog/LogSource.h"
#include "shotlog/LogValues.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace zelmaro;

namespace {

struct Entry {
    std::uint32_t Date = 0;
    double Exposure = 0;
    std::string File{};
    std::optional<std::uint32_t> Frame{};
    std::optional<double> Aperture{};
    std::optional<std::uint32_t> ISO{};
    std::optional<double> FocalLength{};
    std::string Lens{};
};

std::uint32_t At(int y, int mo, int d, int h, int mi, int s)
{
    return *MomentOf(y, mo, d, h, mi, s);
}

struct Fixture {
    std::string Name;
    std::string Text;
    std::string Format;
    std::vector<Entry> Entries;
    std::size_t PassedOver = 0;
    std::optional<TColumnMapping> Columns{};
};

void ExpectEntries(const Fixture& fixture)
{
    SCOPED_TRACE(fixture.Name);
    const TLogTextRead read = ReadLogText(fixture.Text, {FormatSettings(), fixture.Columns});
    EXPECT_EQ(read.Format, fixture.Format);
    EXPECT_EQ(read.Parse.PassedOver, fixture.PassedOver);
    ASSERT_EQ(read.Parse.Shots.size(), fixture.Entries.size());
    for (std::size_t i = 0; i < fixture.Entries.size(); ++i) {
        SCOPED_TRACE(i);
        const TShotItem& shot = read.Parse.Shots[i];
        const Entry& want = fixture.Entries[i];
        EXPECT_EQ(shot.Date, want.Date);
        EXPECT_DOUBLE_EQ(shot.ExposureTime, want.Exposure);
        EXPECT_EQ(shot.FileName, want.File);
        EXPECT_EQ(shot.Frame, want.Frame);
        EXPECT_EQ(shot.Aperture, want.Aperture);
        EXPECT_EQ(shot.ISO, want.ISO);
        EXPECT_EQ(shot.FocalLength, want.FocalLength);
        EXPECT_EQ(shot.Lens, want.Lens);
    }
}

} // namespace

TEST(ReadLogText, ReadsEveryKnownFormatFromItsContent)
{
    const std::string bom = "\xEF\xBB\xBF";
    const std::vector<Fixture> fixtures = {
        {"rawopint: a second run repeats the header",
         "date,time,tick,exp,start,sv,sv96,tv,tv96,av,av96,desc\r\n"
         "11/08/2021,19:10:17,115500,8658,114430,100,411,0.123208,290,3.268,328,init\r\n"
         "11/08/2021,19:10:19,117500,8659,115530,100,411,1/8,290,3.268,328,\r\n"
         "date,time,tick,exp,start,sv,sv96,tv,tv96,av,av96,desc\r\n"
         "11/08/2021,19:13:52,330970,8717,,200,443,30,0,4,384,\r\n",
         "CHDK rawopint (CSV)",
         {{At(2021, 11, 8, 19, 10, 17), 0.123208, "", 8658, 3.268, 100},
          {At(2021, 11, 8, 19, 10, 19), 0.125, "", 8659, 3.268, 100},
          {At(2021, 11, 8, 19, 13, 52), 30, "", 8717, 4, 200}}},
        {"N.I.N.A. CSV with a byte-order mark and a quoted path",
         bom + "ExposureNumber,FilePath,FilterName,ExposureStart,Duration,Binning,Gain,"
               "ExposureStartUTC\n"
               "1,\"D:\\Astro\\M31, Andromeda\\M31_0001.fits\",L,2024-05-26 01:02:03,300,1x1,"
               "100,2024-05-25T23:02:03.412Z\n"
               "2,D:\\Astro\\M31_0002.fits,L,,120.5,1x1,100,2024-05-25T23:07:10Z\n",
         "N.I.N.A. Session Metadata (CSV)",
         {{At(2024, 5, 26, 1, 2, 3), 300, "D:\\Astro\\M31, Andromeda\\M31_0001.fits", 1},
          // No local moment: the UTC one, the offset absorbs the zone.
          {At(2024, 5, 25, 23, 7, 10), 120.5, "D:\\Astro\\M31_0002.fits", 2}}},
        {"N.I.N.A. JSON",
         "[\n  {\n    \"ExposureNumber\": 3,\n    \"FilePath\": \"D:\\\\Astro\\\\M31_0003.fits\",\n"
         "    \"FilterName\": \"Ha\",\n    \"ExposureStart\": \"2024-05-26 01:20:00\",\n"
         "    \"Duration\": 600.0,\n    \"FocuserPosition\": null,\n"
         "    \"ExposureStartUTC\": \"2024-05-25T23:20:00Z\"\n  }\n]\n",
         "N.I.N.A. Session Metadata (JSON)",
         {{At(2024, 5, 26, 1, 20, 0), 600, "D:\\Astro\\M31_0003.fits", 3}}},
        {"Lightme Logbook JSON with exiftool's names",
         "[{\"SourceFile\": \"roll7/07.jpg\", \"DateTimeOriginal\": \"2023:10:14 21:03:07\","
         " \"ExposureTime\": \"1/250\", \"FNumber\": 8, \"FocalLength\": \"50 mm\", \"ISO\": 400,"
         " \"ImageNumber\": 7, \"LensModel\": \"Summicron 50 \\u00e9\"},"
         " {\"SourceFile\": \"roll7/08.jpg\", \"DateTimeOriginal\": \"2023:10:14 21:05:00\","
         " \"ExposureTime\": 2, \"ImageNumber\": 8, \"Meta\": {\"x\": [1, 2]}}]",
         "JSON mit exiftool-Namen (Lightme Logbook, exiftool -json)",
         {{At(2023, 10, 14, 21, 3, 7), 0.004, "roll7/07.jpg", 7, 8, 400, 50,
           "Summicron 50 \xC3\xA9"},
          {At(2023, 10, 14, 21, 5, 0), 2, "roll7/08.jpg", 8}}},
        {"Exif Notes: the roll's preamble, then the frames",
         "Roll name: Nacht\r\nLoaded on: 2023-10-14 20:00\r\nFilm stock: HP5\r\nISO: 400\r\n"
         "Notes: \r\n"
         "Frame Count,Date,Lens,Lens serial number,Shutter,Aperture,Focal length,"
         "Exposure compensation,Notes,No of exposures,Filter,Location,Address,Flash,"
         "Light source\r\n"
         "1,2023-10-14 21:03,\"Zeiss, 50/1.4\",,1/125,f2.8,50,,\"Brücke, \"\"links\"\"\",1,,,,"
         "false,\r\n"
         "2,2023-10-14 21:10,,,30\",f16,,,,1,,,,false,\r\n"
         "3,2023-10-14 21:12,,,,f16,,,,1,,,,false,\r\n",
         "Exif Notes (CSV)",
         {{At(2023, 10, 14, 21, 3, 0), 0.008, "", 1, 2.8, std::nullopt, 50, "Zeiss, 50/1.4"},
          {At(2023, 10, 14, 21, 10, 0), 30, "", 2, 16}},
         1},
        {"Canon ES-E1: film header, Tv as a formula, a bulb frame, frames not taken",
         "*,Film ID,03-758,Title,Nacht,Date and time film loaded,9/1/2010,14:00:00\r\n"
         ",Remarks,\r\n\r\n"
         ",Frame No.,Focal length,Max. aperture,Tv,Av,ISO (M),Exposure compensation,"
         "Bulb exposure time,Date,Time,Remarks\r\n"
         "*,1,11mm,22,=\"1/8000\",22,,0.0,,11/9/2010,18:31:26,\r\n"
         "*,2,24mm,2.8,=\"15\"\"\",1.4,800,-5.0,,11/9/2010,18:32:55,\r\n"
         "*,3,24mm,2.8,=\"Bulb\",4,,0.0,0:02:30,11/9/2010,18:40:00,\r\n"
         ",4,,,,,,,,,,\r\n",
         "Canon ES-E1 (EOS-1V, EOS-3; CSV)",
         {{At(2010, 11, 9, 18, 31, 26), 1.0 / 8000, "", 1, 22, std::nullopt, 11},
          {At(2010, 11, 9, 18, 32, 55), 15, "", 2, 1.4, 800, 24},
          {At(2010, 11, 9, 18, 40, 0), 150, "", 3, 4, std::nullopt, 24}},
         1},
        {"Nikon MV-1 as tab-separated text with decimal commas",
         "Frame number\tShutter speed\tAperture\tFocal length\tDate(yy/mm/dd)\tTime\n"
         "1\t1/250\tf/5,6\t50mm\t23/10/14\t21:03:07\n"
         "2\t4\"\t8\t50mm\t23/10/14\t21:04:00\n",
         "Nikon MV-1 (F6, F5, F100; CSV)",
         {{At(2023, 10, 14, 21, 3, 7), 0.004, "", 1, 5.6, std::nullopt, 50},
          {At(2023, 10, 14, 21, 4, 0), 4, "", 2, 8, std::nullopt, 50}}},
        {"exiftool -csv",
         "SourceFile,CreateDate,ExposureTime,FNumber,ISO\n"
         "\"/fotos/Nacht, 1/IMG_0001.CR2\",2008:01:05 21:03:07,30,5.6,100\n"
         "/fotos/IMG_0002.CR2,2008:01:05 21:04:15,0.5,,\n",
         "exiftool -csv",
         {{At(2008, 1, 5, 21, 3, 7), 30, "/fotos/Nacht, 1/IMG_0001.CR2", std::nullopt, 5.6, 100},
          {At(2008, 1, 5, 21, 4, 15), 0.5, "/fotos/IMG_0002.CR2"}}},
        {"a table of its own by a column mapping: semicolons, decimal commas",
         "Nr;Aufnahme;Dauer;Datei\r\n"
         "1;14.10.2023 21:03:07;0,5;IMG_1.CR2\r\n"
         "2;14.10.2023 21:04:00;\"1,5\";IMG_2.CR2\r\n"
         "3;kaputt;1;IMG_3.CR2\r\n",
         "Tabelle mit zugeordneten Spalten",
         {{At(2023, 10, 14, 21, 3, 7), 0.5, "IMG_1.CR2", 1},
          {At(2023, 10, 14, 21, 4, 0), 1.5, "IMG_2.CR2", 2}},
         1,
         TColumnMapping{"aufnahme", "", "", "Dauer", "Datei", "Nr"}},
        {"a mapping with a date and a time column and a pattern",
         "Tag,Uhr,Belichtung\n20231014,210307,2m\n",
         "Tabelle mit zugeordneten Spalten",
         {{At(2023, 10, 14, 21, 3, 7), 120}},
         0,
         TColumnMapping{"Uhr", "Tag", "YYYYMMDD hhmmss", "Belichtung"}},
    };
    for (const Fixture& fixture : fixtures)
        ExpectEntries(fixture);
}

TEST(ReadLogText, TheZelmaroTextStaysWhatItWas)
{
    const std::string text = "Zelmaro\r\n-0801052103073,2--0801052104150,5-\r\nStativ\r\n";
    const TLogTextRead read = ReadLogText(text, {FormatSettings::German(), std::nullopt});
    EXPECT_EQ(read.Format, "Zelmaro-Protokoll");
    const TShotLogParse old = ParseShotLog(SplitTextLines(text), FormatSettings::German());
    ASSERT_EQ(read.Parse.Shots.size(), 2u);
    ASSERT_EQ(old.Shots.size(), 2u);
    EXPECT_EQ(read.Parse.Shots[1].Date, old.Shots[1].Date);
    EXPECT_EQ(read.Parse.Shots[1].ExposureTime, 0.5);
    EXPECT_EQ(read.Parse.PassedOver, old.PassedOver);
    // A German log read where the decimal separator is a point.
    EXPECT_EQ(ReadLogText(text, {FormatSettings(), std::nullopt}).Parse.Shots.size(), 2u);
}

TEST(ReadLogText, ANameAloneOrAHeaderOfNoFormatIsNotRecognised)
{
    for (const std::string text :
         {"", "Protokoll\n0801052103071\n", "date,time,exposure\n2023-10-14 21:03,1,2\n",
          "[1, 2, 3]", "[{\"ExposureTime\": 1}]", "{\"DateTimeOriginal\": \"x\"}"}) {
        SCOPED_TRACE(text);
        const TLogTextRead read = ReadLogText(text, {});
        EXPECT_EQ(read.Format, "");
        EXPECT_TRUE(read.Parse.Shots.empty());
        EXPECT_FALSE(read.Parse.IsLog);
    }
    // A mapping whose columns the table lacks does not fit it either.
    EXPECT_EQ(
        ReadLogText("a,b\n1,2\n", {FormatSettings(), TColumnMapping{"t", "", "", "e"}}).Format, "");
    EXPECT_NE(ExpectedLogFormats().find("Nikon MV-1"), std::string::npos);
}

TEST(ParseColumnMapping, NamesWhatIsWrong)
{
    const auto mapping = ParseColumnMapping("time=ExposureStart,exposure=Duration,file=FilePath");
    ASSERT_TRUE(mapping);
    EXPECT_EQ(*mapping, (TColumnMapping{"ExposureStart", "", "", "Duration", "FilePath", ""}));
    EXPECT_EQ(ColumnMappingText(*mapping), "time=ExposureStart,exposure=Duration,file=FilePath");
    const auto dated = ParseColumnMapping("date=Tag,time=Uhr,exposure=Dauer,frame=Nr");
    ASSERT_TRUE(dated);
    EXPECT_EQ(*ParseColumnMapping(ColumnMappingText(*dated)), *dated);
    EXPECT_NE(ParseColumnMapping("time=a").Error().find("exposure=SPALTE"), std::string::npos);
    EXPECT_NE(ParseColumnMapping("time=a,exposure=b,iso=c").Error().find("\"iso\""),
              std::string::npos);
    EXPECT_NE(ParseColumnMapping("time=,exposure=b").Error().find("\"time\""), std::string::npos);
}

TEST(SuggestedColumns, EachUseTakesTheColumnThatFitsItBest)
{
    // TColumnMapping: time, date, format, exposure, file, frame.
    const std::pair<std::vector<std::string>, TColumnMapping> cases[] = {
        {{"Nr", "Aufnahme", "Dauer", "Datei"}, {"Aufnahme", "", "", "Dauer", "Datei", "Nr"}},
        {{"ExposureStart", "Duration"}, {"ExposureStart", "", "", "Duration"}},
        {{"ExposureTime", "DateTime"}, {"DateTime", "", "", "ExposureTime"}},
        {{"Exposure time (s)", "Date"}, {"Date", "", "", "Exposure time (s)"}},
        {{"Shot", "Timestamp", "Exposure (s)", "Filename"},
         {"Timestamp", "", "", "Exposure (s)", "Filename"}},
        {{"Bildname", "Uhrzeit", "Belichtung"}, {"Uhrzeit", "", "", "Belichtung", "Bildname"}},
        {{"a", "b"}, {}},
    };
    for (const auto& [columns, suggested] : cases)
        EXPECT_EQ(SuggestedColumns(columns), suggested) << columns.front();
}
