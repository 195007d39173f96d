#include "MainTestRig.h"

#include "e2e/E2ESession.h"

#include "app/ImageTableModel.h"
#include "workflow/Matching.h"
#include "workflow/MetadataTool.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>

namespace zelmaro {
namespace {

using test::MainRig;

// The whole window on the sample session with the real metadata tool.
TEST(MainWindowSessionTest, ReadPicturesLogAutoOffsetWriteAndReadBack)
{
    QTemporaryDir dir;
    const QString script = QStringLiteral(ZELMARO_SOURCE_DIR "/examples/make-sample-session.sh");
    ASSERT_EQ(QProcess::execute(QStringLiteral("bash"), {script, dir.path()}), 0);

    MainRig rig;
    rig.tool = FindExifTool().value_or("");
    ASSERT_FALSE(rig.tool.empty()) << "exiftool is needed";
    auto frm = rig.Make();
    frm->show();
    frm->SetDirectoryText(dir.path().toStdString());
    frm->ShowStatus("Versatz 3 s: 2 Bilder genau"); // from pictures read before

    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_EQ(frm->StatusBar->currentMessage(), "36 Bilder gelesen");
    EXPECT_EQ(frm->lblSummary->text(), "0 Paare, 0 zu schreiben");
    const TImageTableModel& m = frm->Model();
    ASSERT_EQ(m.rowCount(), 36);
    EXPECT_EQ(m.index(0, 0).data().toString(), "IMG_0001.JPG");
    EXPECT_EQ(m.index(0, 1).data().toString(), "05.01.2008 21:03:14");
    for (int row = 0; row < 36; ++row)
        ASSERT_EQ(m.index(row, 0).data(TImageTableModel::RowLookRole).toInt(),
                  static_cast<int>(TRowLook::rlMissing));
    EXPECT_TRUE(frm->cmdReadFile->isEnabled());
    EXPECT_FALSE(frm->cmdChange->isEnabled());

    QTest::mouseClick(frm->cmdReadFile, Qt::LeftButton);
    EXPECT_EQ(frm->Workflow().Shots().size(), 35u);
    EXPECT_EQ(frm->StatusBar->currentMessage(), "35 Einträge gelesen, 0 Zeilen übergangen");

    QTest::mouseClick(frm->cmdAuto, Qt::LeftButton);
    EXPECT_EQ(frm->Workflow().Offset(), 7);
    EXPECT_EQ(frm->StatusBar->currentMessage(),
              QString::fromUtf8(AutoOffsetText(frm->Workflow().FindAutoOffset().value())));
    EXPECT_TRUE(frm->StatusBar->currentMessage().startsWith("Versatz 7 s: "));
    int bold = 0, green = 0, italic = 0, silver = 0, checked = 0;
    for (int row = 0; row < m.rowCount(); ++row) {
        const TMatchItem* item = frm->Model().RowItem(row);
        const bool equalTime = item->TimeState == TMatchState::msEqual;
        bold += equalTime && item->ExposureState == TMatchState::msDifferent;
        green += equalTime && item->ExposureState == TMatchState::msEqual;
        italic += item->TimeState == TMatchState::msNear;
        silver += item->TimeState == TMatchState::msNone;
        checked += item->Checked;
    }
    EXPECT_GT(bold, 0);
    EXPECT_GT(green, 0);
    EXPECT_EQ(italic, 1);
    EXPECT_EQ(silver, 1);
    EXPECT_EQ(checked, bold);
    EXPECT_TRUE(frm->cmdChange->isEnabled());
    EXPECT_EQ(frm->lblSummary->text(),
              QString("%1 Paare, %2 zu schreiben").arg(bold + green).arg(checked));

    // Asked first; "Nein" changes nothing.
    const QString question =
        QString("%1 Bilder werden geändert; die Originale bleiben als _original erhalten. "
                "Fortfahren?")
            .arg(checked);
    rig.boxes.Answer = false;
    QTest::mouseClick(frm->cmdChange, Qt::LeftButton);
    ASSERT_EQ(rig.boxes.Messages.size(), 1u);
    EXPECT_EQ(QString::fromStdString(rig.boxes.Messages[0].Line()), "question: " + question);
    EXPECT_EQ(test::StoredExposure(dir.filePath("IMG_0010.JPG").toStdString()), "30");
    EXPECT_TRUE(frm->cmdChange->isEnabled());

    rig.boxes.Answer = true;
    QTest::mouseClick(frm->cmdChange, Qt::LeftButton);
    ASSERT_EQ(rig.boxes.Messages.size(), 2u) << rig.boxes.Messages.back().Text;
    EXPECT_EQ(rig.boxes.Messages[1].Kind, "question");
    EXPECT_EQ(frm->StatusBar->currentMessage(), QString("%1 Bilder geschrieben").arg(checked));
    EXPECT_FALSE(frm->TerminateRequested());
    EXPECT_FALSE(frm->cmdChange->isEnabled()) << "every written row agrees now";
    for (int row = 0; row < m.rowCount(); ++row)
        EXPECT_FALSE(m.RowItem(row)->Checked) << row;

    // The file itself carries the logged value: image 10 was 30 s, logged 45.
    EXPECT_EQ(test::StoredExposure(dir.filePath("IMG_0010.JPG").toStdString()), "45");
}

// Choosing another folder after reading must not send the values there.
TEST(MainWindowSessionTest, WritesIntoTheScannedDirectoryAfterTheFieldChanged)
{
    test::TempDir scanned, chosen;
    for (const test::TempDir* dir : {&scanned, &chosen})
        test::WriteTaggedImages(dir->Path(), {{"a.JPG", "2008:01:05 21:03:14", "2"},
                                              {"b.JPG", "2008:01:05 21:04:14", "2"}});
    scanned.Write("Zelmaro.txt", "Zelmaro\n08010521031430-08010521041430\n");
    const std::string untouched = test::FileBytes(chosen.File("a.JPG"));

    MainRig rig;
    rig.tool = FindExifTool().value_or("");
    ASSERT_FALSE(rig.tool.empty()) << "exiftool is needed";
    auto frm = rig.Make();
    frm->show();
    frm->SetDirectoryText(scanned.Path());
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    QTest::mouseClick(frm->cmdReadFile, Qt::LeftButton);
    ASSERT_TRUE(frm->cmdChange->isEnabled());
    frm->SetDirectoryText(chosen.Path());
    QTest::mouseClick(frm->cmdChange, Qt::LeftButton);

    EXPECT_EQ(test::MessageLines(rig.boxes.Messages),
              std::vector<std::string>{"question: 2 Bilder werden geändert; die Originale "
                                       "bleiben als _original erhalten. Fortfahren?"});
    EXPECT_EQ(test::StoredExposure(scanned.File("a.JPG")), "30");
    EXPECT_EQ(test::StoredExposure(scanned.File("b.JPG")), "30");
    EXPECT_EQ(test::FileBytes(chosen.File("a.JPG")), untouched);
    EXPECT_FALSE(frm->cmdChange->isEnabled());
}

// A real-sized night: 2,000 images from a camera an hour ahead, one log
// entry missing. "nach Zeit" pairs every other image once "A"'s far offset is
// taken; the write is asked for, and "Originale" puts every file back as it was.
TEST(MainWindowSessionTest, ANightOfTwoThousandImagesIsPairedWrittenAndRestored)
{
    constexpr int kImages = 2000;
    constexpr int kMissing = 700;
    test::TempDir dir;
    std::vector<test::TaggedImage> images;
    std::string log = "Zelmaro\r\n";
    const auto stamp = [](int minutes, const char* format) {
        std::tm moment{};
        moment.tm_year = 108; // 2008-01-05 20:00
        moment.tm_mday = 5;
        moment.tm_hour = 20;
        moment.tm_min = minutes;
        std::mktime(&moment); // normalises the minutes into days and hours
        char text[32];
        std::strftime(text, sizeof text, format, &moment);
        return std::string(text);
    };
    for (int i = 0; i < kImages; ++i) {
        const std::string name = "IMG_" + std::to_string(10000 + i) + ".JPG";
        images.push_back({name, stamp(60 + 2 * i, "%Y:%m:%d %H:%M:%S"), "30"});
        if (i != kMissing)
            log += stamp(2 * i, "%y%m%d%H%M%S") + "45\r\n";
    }
    test::WriteTaggedImages(dir.Path(), images);
    dir.Write("Zelmaro.txt", log);
    std::vector<std::string> before;
    for (const test::TaggedImage& image : images)
        before.push_back(test::FileBytes(dir.File(image.Name)));

    MainRig rig;
    rig.tool = FindExifTool().value_or("");
    ASSERT_FALSE(rig.tool.empty()) << "exiftool is needed";
    auto frm = rig.Make();
    frm->SetDirectoryText(dir.Path());
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_EQ(frm->StatusBar->currentMessage(), "2000 Bilder gelesen");
    QTest::mouseClick(frm->cmdReadFile, Qt::LeftButton);
    frm->cmbPairing->setCurrentIndex(1);
    QTest::mouseClick(frm->cmdAuto, Qt::LeftButton);
    ASSERT_EQ(rig.boxes.Messages.size(), 1u);
    EXPECT_EQ(rig.boxes.Messages[0].Kind, "question");
    EXPECT_EQ(frm->Workflow().Offset(), 3600);
    EXPECT_EQ(frm->lblSummary->text(), "1999 Paare, 1999 zu schreiben");

    QTest::mouseClick(frm->cmdChange, Qt::LeftButton);
    ASSERT_EQ(rig.boxes.Messages.size(), 2u) << rig.boxes.Messages.back().Text;
    EXPECT_EQ(frm->StatusBar->currentMessage(), "1999 Bilder geschrieben");
    EXPECT_EQ(frm->lblSummary->text(), "1999 Paare, 0 zu schreiben");
    EXPECT_EQ(test::StoredExposure(dir.File(images[kMissing - 1].Name)), "45");
    EXPECT_EQ(test::StoredExposure(dir.File(images[kMissing].Name)), "30");

    frm->actRestoreOriginals->trigger();
    EXPECT_EQ(frm->StatusBar->currentMessage(), "1999 Originale wiederhergestellt");
    EXPECT_EQ(rig.boxes.Messages.size(), 2u) << rig.boxes.Messages.back().Text;
    std::size_t same = 0;
    for (std::size_t i = 0; i < images.size(); ++i)
        same += test::FileBytes(dir.File(images[i].Name)) == before[i];
    EXPECT_EQ(same, images.size());
    EXPECT_EQ(frm->lblSummary->text(), "1999 Paare, 1999 zu schreiben") << "read again";
}

} // namespace
} // namespace zelmaro
