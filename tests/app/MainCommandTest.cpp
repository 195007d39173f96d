#include "MainTestRig.h"

#include "app/DirectoryEdit.h"
#include "app/FileLbl.h"
#include "app/ImageTableModel.h"
#include "app/Info.h"
#include "app/SpinEdit.h"
#include "common/FakeTool.h"
#include "workflow/StatusTexts.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace zelmaro {
namespace {

// Answers every read with a date and 1/250 s; during lets the test look at
// the window while the command runs.
std::unique_ptr<test::FakeTool> Tool(std::function<void()> during,
                                     const std::string& date = "2008:01:05 21:03:07")
{
    auto tool = std::make_unique<test::FakeTool>();
    tool->Fallback = {"Create Date                     : " + date,
                      "Exposure Time                   : 1/250"};
    if (during)
        tool->BeforeCall = [during](std::size_t) { during(); };
    return tool;
}

class MainCommandTest : public test::MainWindowFixture {
protected:
    // Empty files in a fresh directory, which the directory field names.
    void Open(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            dir.Write(name);
        frm->SetDirectoryText(dir.Path());
    }
    test::TTempDir dir;
};

TEST_F(MainCommandTest, ReadingKeepsOtherCommandsOutButNotTheCancelButton)
{
    frm->show();
    Open({"a.JPG", "b.JPG", "c.JPG"});
    int calls = 0;
    bool guarded = true;
    frm->Workflow().SetMetadataTool(Tool([&] {
        ++calls;
        guarded = guarded && frm->CommandRunning() && !frm->cmdReadPics->isEnabled() &&
                  !frm->cmdAuto->isEnabled() && !frm->edtSeconds->isEnabled() &&
                  frm->Progress() != nullptr && frm->Progress()->cmdCancel->isEnabled() &&
                  QApplication::overrideCursor() != nullptr;
        // A second reading started now would pull the lists away underneath.
        QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
        if (calls == 2)
            frm->Progress()->cmdCancel->click();
    }));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_TRUE(guarded);
    EXPECT_EQ(calls, 2) << "the cancel stops the scan after the second file";
    EXPECT_EQ(frm->Progress(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(frm->CommandRunning());
    EXPECT_TRUE(frm->cmdReadPics->isEnabled());
    EXPECT_TRUE(frm->edtSeconds->isEnabled());
    EXPECT_EQ(frm->Model().rowCount(), 2);
    EXPECT_FALSE(frm->cmdReadFile->isEnabled());
    EXPECT_EQ(frm->StatusBar->currentMessage(), "Abgebrochen nach 2 von 3 Bildern");
}

TEST_F(MainCommandTest, ClosingDuringALongCommandCancelsItAndClosesAfterwards)
{
    frm->show();
    Open({"a.JPG", "b.JPG", "c.JPG"});
    int calls = 0;
    bool openDuring = true;
    frm->Workflow().SetMetadataTool(Tool([&] {
        if (++calls == 1) {
            frm->close(); // the close box
            openDuring = frm->isVisible() && frm->Workflow().Images().empty();
        }
    }));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_TRUE(openDuring) << "the lists stay while the command runs";
    EXPECT_EQ(calls, 1) << "the close cancels the scan after the file in work";
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(frm->Workflow().Images().empty()) << "the close query freed the lists";
    EXPECT_EQ(rig.StoredString("LastPath"), dir.Path());

    // Not once more for a later command.
    frm->show();
    calls = 10;
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_TRUE(frm->isVisible());
}

TEST_F(MainCommandTest, AnErrorLeavingACommandIsShownAndTheWindowGoesOn)
{
    Open({"a.JPG"});
    // A date the conversion refuses: its error is not one the scan expects.
    frm->Workflow().SetMetadataTool(Tool(nullptr, "2008:xx:05 21:03:07"));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_EQ(rig.Shown(), (std::vector<std::string>{"error: 'xx' ist kein gültiger Integerwert"}));
    EXPECT_EQ(frm->Progress(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(frm->CommandRunning());
    EXPECT_TRUE(frm->cmdReadPics->isEnabled());
    EXPECT_FALSE(frm->TerminateRequested());
}

TEST_F(MainCommandTest, LogFileButtonFollowsThePictureReading)
{
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    Open({"a.JPG", "Zelmaro.txt"});
    EXPECT_FALSE(frm->cmdReadFile->isEnabled()) << "choosing a directory does not touch it";
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_TRUE(frm->cmdReadFile->isEnabled());
    ASSERT_EQ(frm->Model().rowCount(), 1);
    EXPECT_EQ(frm->Model().RowItem(0)->Shot, nullptr);

    // A directory without pictures: warned, field emptied, buttons off.
    test::TTempDir empty;
    frm->SetDirectoryText(empty.Path());
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_EQ(rig.Shown(), (std::vector<std::string>{
                               "warning: In diesem Verzeichnis existieren keine Bilder!"}));
    EXPECT_EQ(frm->edtDir->text(), "");
    EXPECT_FALSE(frm->cmdReadPics->isEnabled());
    EXPECT_FALSE(frm->cmdReadFile->isEnabled());
    EXPECT_EQ(frm->Model().rowCount(), 0);
}

TEST_F(MainCommandTest, ATypedPathIsReadOnEnterAndADroppedFolderFillsTheField)
{
    dir.Write("a.JPG");
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    frm->show();
    frm->edtDir->Edit()->setFocus();
    QTest::keyClicks(frm->edtDir->Edit(), QString::fromStdString(dir.Path()));
    QTest::keyClick(frm->edtDir->Edit(), Qt::Key_Return);
    EXPECT_EQ(frm->Model().rowCount(), 1);
    EXPECT_EQ(frm->StatusBar->currentMessage(), "1 Bild gelesen");
    // A screen reader reads the summary itself.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(frm->lblSummary)->text(QAccessible::Name),
              "0 Paare, 0 zu schreiben");

    // A folder from the file manager replaces the text; a file does not.
    test::TTempDir other;
    const auto drop = [&](const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        return frm->edtDir->TakeDrop(&data);
    };
    EXPECT_FALSE(drop(dir.File("a.JPG")));
    EXPECT_EQ(frm->DirectoryText(), dir.Path());
    EXPECT_TRUE(drop(other.Path()));
    EXPECT_EQ(frm->DirectoryText(), other.Path());
    EXPECT_EQ(frm->Model().rowCount(), 1) << "a drop reads nothing by itself";
}

TEST_F(MainCommandTest, MemoButtonWithoutChosenUserDoesNothing)
{
    rig.users = {{"Anna", 11}};
    rig.StoreString("User", "Niemand");
    frm = rig.Make();
    ASSERT_EQ(frm->cmbUser->currentIndex(), -1);
    frm->Workflow().AddShot({1000, 0.004});
    QTest::mouseClick(frm->cmdReadMemo, Qt::LeftButton);
    EXPECT_EQ(frm->Workflow().Shots().size(), 1u) << "the shot list is left alone";
    EXPECT_TRUE(rig.boxes.Messages.empty());
}

TEST_F(MainCommandTest, TheExitCodeTellsAnEndOnAnErrorFromAClosedWindow)
{
    dir.Write("a.JPG");
    struct Case {
        const char* what;
        std::string tool;
        // Run once the event loop runs; null when it never should.
        std::function<void(TfrmMain&)> then;
        int exitCode;
    } cases[] = {
        {"metadata tool missing", "", nullptr, 1},
        {"window closed", "/usr/bin/exiftool", [](TfrmMain& window) { window.close(); }, 0},
        {"image unreadable", "/usr/bin/exiftool",
         [this](TfrmMain& window) {
             window.SetDirectoryText(dir.Path());
             window.Workflow().SetMetadataTool(std::make_unique<test::FakeTool>());
             QTest::mouseClick(window.cmdReadPics, Qt::LeftButton);
         },
         1},
    };
    for (const Case& c : cases) {
        test::MainRig fresh;
        fresh.tool = c.tool;
        auto window = fresh.Make();
        bool looped = false;
        if (c.then)
            QTimer::singleShot(0, window.get(), [&] {
                looped = true;
                c.then(*window);
            });
        EXPECT_EQ(RunMainWindow(*window), c.exitCode) << c.what;
        EXPECT_EQ(looped, c.then != nullptr) << c.what;
        EXPECT_EQ(fresh.boxes.Messages.size(), c.exitCode == 1 ? 1u : 0u) << c.what;
    }
}

TEST_F(MainCommandTest, PairingChoiceIsAppliedAndStored)
{
    Open({"IMG_0007.JPG", "IMG_0008.JPG"});
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    const struct {
        int item;
        TRowAlignment alignment;
    } choices[] = {{1, TRowAlignment::alNearest},
                   {2, TRowAlignment::alName},
                   {3, TRowAlignment::alFrame},
                   {0, TRowAlignment::alPositional}};
    for (const auto& c : choices) {
        frm->cmbPairing->setCurrentIndex(c.item);
        EXPECT_EQ(frm->Workflow().Alignment(), c.alignment);
        // The first frame number counts only for pairing by frame.
        EXPECT_EQ(frm->edtFirstFrame->isEnabled(), c.alignment == TRowAlignment::alFrame);
    }
    frm->cmbPairing->setCurrentIndex(3);
    frm->edtFirstFrame->SetValue(7);
    EXPECT_EQ(frm->Workflow().FirstFrame(), 7u);
    frm->close();
    EXPECT_EQ(rig.StoredInt("Alignment", -1), 3);
    EXPECT_EQ(rig.StoredInt("FirstFrame", -1), 7);

    auto again = rig.Make();
    EXPECT_EQ(again->cmbPairing->currentIndex(), 3);
    EXPECT_EQ(again->Workflow().Alignment(), TRowAlignment::alFrame);
    EXPECT_EQ(again->Workflow().FirstFrame(), 7u);
    EXPECT_TRUE(again->edtFirstFrame->isEnabled());
}

TEST_F(MainCommandTest, SidecarChoiceIsAppliedAndStored)
{
    Open({"IMG_0007.JPG", "IMG_0008.JPG"});
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_FALSE(frm->cmbSidecar->isEnabled());
    frm->chkSidecar->setChecked(true);
    EXPECT_TRUE(frm->cmbSidecar->isEnabled());
    EXPECT_EQ(frm->Workflow().Sidecar(), TSidecar::svXmp);
    frm->cmbSidecar->setCurrentIndex(1);
    EXPECT_EQ(frm->Workflow().Sidecar(), TSidecar::svExtXmp);
    // Read again for the sidecars now chosen: the images are still listed.
    EXPECT_EQ(frm->Workflow().Images().size(), 2u);
    frm->close();
    EXPECT_EQ(rig.StoredInt("Sidecar", -1), 1);
    EXPECT_EQ(rig.StoredInt("SidecarNaming", -1), 1);

    auto again = rig.Make();
    EXPECT_TRUE(again->chkSidecar->isChecked());
    EXPECT_EQ(again->Workflow().Sidecar(), TSidecar::svExtXmp);
    again->chkSidecar->setChecked(false);
    EXPECT_EQ(again->Workflow().Sidecar(), TSidecar::svNone);
}

TEST_F(MainCommandTest, WritingAllValuesReadsTheImagesAgainAndIsStored)
{
    Open({"IMG_0007.JPG", "IMG_0008.JPG"});
    auto tool = Tool(nullptr);
    test::FakeTool& fake = *tool;
    frm->Workflow().SetMetadataTool(std::move(tool));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    fake.Calls.clear();
    // The images were read without the set: ticking reads them again with it.
    QTest::mouseClick(frm->chkWriteAll, Qt::LeftButton);
    EXPECT_TRUE(frm->Workflow().WriteAll());
    ASSERT_EQ(fake.Calls.size(), 2u);
    EXPECT_EQ(fake.Calls[0].back(), "-DateTimeOriginal");
    QTest::mouseClick(frm->chkWriteAll, Qt::LeftButton);
    QTest::mouseClick(frm->chkWriteAll, Qt::LeftButton);
    EXPECT_EQ(fake.Calls.size(), 2u) << "read with the set already";
    frm->close();
    EXPECT_EQ(rig.StoredInt("WriteAll", -1), 1);

    auto again = rig.Make();
    EXPECT_TRUE(again->chkWriteAll->isChecked());
    EXPECT_TRUE(again->Workflow().WriteAll());
}

TEST_F(MainCommandTest, ATableNoFormatKnowsIsReadByTheColumnsTheUserNames)
{
    Open({"IMG_0001.JPG", "IMG_0002.JPG"});
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    test::TTempDir elsewhere;
    rig.chosenLog = elsewhere.Write("nacht.csv", "Zeitpunkt;Dauer;Bild;Blende\r\n"
                                                 "2008-01-05 21:03:07;30;IMG_0001.JPG;2,8\r\n"
                                                 "2008-01-05 21:04:07;0,5;IMG_0002.JPG;4\r\n");
    TColumnMapping chosen;
    chosen.Time = "Zeitpunkt";
    chosen.Exposure = "Dauer";
    chosen.File = "Bild";
    std::vector<std::optional<TColumnMapping>> presets;
    std::optional<TColumnMapping> answer = chosen;
    rig.chooseColumns = [&](const std::vector<std::string>& columns,
                            const std::optional<TColumnMapping>& preset) {
        EXPECT_EQ(columns, (std::vector<std::string>{"Zeitpunkt", "Dauer", "Bild", "Blende"}));
        presets.push_back(preset);
        return answer;
    };
    frm = rig.Make();
    Open({"IMG_0001.JPG", "IMG_0002.JPG"});
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    frm->cmbPairing->setCurrentIndex(2); // by file name: no clock needed
    QTest::mouseClick(frm->cmdOpenLog, Qt::LeftButton);
    ASSERT_EQ(frm->Workflow().Shots().size(), 2u);
    EXPECT_EQ(std::next(frm->Workflow().Shots().begin())->ExposureTime, 0.5);
    ASSERT_EQ(frm->Model().rowCount(), 2);
    EXPECT_EQ(frm->Model().RowItem(0)->Shot->FileName, "IMG_0001.JPG");
    EXPECT_TRUE(
        frm->Model().index(0, 0).data(Qt::ToolTipRole).toString().contains("Datei IMG_0001.JPG"));

    // The same header again: the columns chosen before are offered; a
    // cancelled choice reads nothing.
    answer.reset();
    QTest::mouseClick(frm->cmdOpenLog, Qt::LeftButton);
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_FALSE(presets[0].has_value());
    EXPECT_EQ(presets[1], chosen);
    EXPECT_EQ(frm->Workflow().Shots().size(), 2u);

    // A log of a known format asks nothing.
    rig.chosenLog = elsewhere.Write("Nacht.log", "Zelmaro\r\n0801052103072\r\n");
    QTest::mouseClick(frm->cmdOpenLog, Qt::LeftButton);
    EXPECT_EQ(presets.size(), 2u);
    EXPECT_EQ(frm->Workflow().Shots().size(), 1u);
}

TEST_F(MainCommandTest, ALogFromAnyFolderIsReadAndMatched)
{
    Open({"a.JPG"});
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    test::TTempDir elsewhere;
    rig.chosenLog = elsewhere.Write("Nacht.log", "Zelmaro\r\n0801052103072\r\nx\r\n");
    QTest::mouseClick(frm->cmdOpenLog, Qt::LeftButton);
    EXPECT_EQ(frm->Workflow().Shots().size(), 1u);
    EXPECT_EQ(frm->StatusBar->currentMessage(),
              QString::fromUtf8("1 Eintrag gelesen, 1 Zeile übergangen"));
    ASSERT_EQ(frm->Model().rowCount(), 1);
    EXPECT_TRUE(frm->Model().RowItem(0)->Checked);

    rig.chosenLog.clear(); // the dialog was cancelled: nothing changes
    QTest::mouseClick(frm->cmdOpenLog, Qt::LeftButton);
    EXPECT_EQ(frm->Workflow().Shots().size(), 1u);
}

TEST_F(MainCommandTest, OriginalsArePutBackOrDeletedAfterTheQuestion)
{
    Open({"a.JPG", "b.JPG"});
    dir.Write("a.JPG_original", "before");
    frm->Workflow().SetMetadataTool(Tool(nullptr));
    EXPECT_FALSE(frm->cmdOriginals->isEnabled()) << "nothing read yet";
    QTest::mouseClick(frm->cmdReadPics, Qt::LeftButton);
    EXPECT_TRUE(frm->cmdOriginals->isEnabled());

    rig.boxes.Answer = false;
    frm->actDeleteOriginals->trigger();
    EXPECT_EQ(rig.Shown(),
              std::vector<std::string>{"question: " + DeleteOriginalsQuestion(dir.Path())});
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.JPG_original")));

    frm->actRestoreOriginals->trigger();
    std::ifstream restored(dir.File("a.JPG"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(restored), {}), "before");
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.JPG_original")));
    EXPECT_EQ(frm->StatusBar->currentMessage(), "1 Original wiederhergestellt");
    EXPECT_EQ(frm->Model().rowCount(), 2) << "read again";

    frm->actRestoreOriginals->trigger();
    EXPECT_EQ(rig.Shown().back(), "info: " + NoOriginalsText(dir.Path()));

    dir.Write("b.JPG_original", "older");
    rig.boxes.Answer = true;
    frm->actDeleteOriginals->trigger();
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.JPG_original")));
    EXPECT_EQ(frm->StatusBar->currentMessage(), QString::fromUtf8("1 Original gelöscht"));
}

} // namespace
} // namespace zelmaro
