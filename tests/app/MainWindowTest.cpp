#include "MainTestRig.h"

#include "app/DirectoryEdit.h"
#include "app/ImageTableModel.h"
#include "app/SpinEdit.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>
#include <vector>

namespace zelmaro {
namespace {

class MainWindowTest : public test::MainWindowFixture {};
using Widgets = std::initializer_list<QWidget*>;

TEST_F(MainWindowTest, ControlsSitWhereTheyBelongAndFollowTheirAnchors)
{
    EXPECT_EQ(frm->windowTitle(), "Zelmaro");
    EXPECT_EQ(frm->size(), QSize(751, 701));
    EXPECT_EQ(frm->minimumSize(), QSize(751, 701));
    EXPECT_EQ(frm->font().family(), "Arial");
    EXPECT_EQ(frm->font().pixelSize(), 13);
    EXPECT_EQ(frm->cmdAuto->font().pixelSize(), 21);
    EXPECT_TRUE(frm->cmdAuto->font().bold());

    // Where each control sits at 751 x 701 and at 851 x 801.
    const std::tuple<QWidget*, QRect, QRect> controls[] = {
        {frm->lblDir, {10, 10, 81, 21}, {10, 10, 81, 21}},
        {frm->edtDir, {90, 10, 571, 21}, {90, 10, 671, 21}},
        {frm->cmdReadPics, {670, 8, 71, 25}, {770, 8, 71, 25}},
        {frm->cmdReadFile, {10, 50, 201, 25}, {10, 50, 201, 25}},
        {frm->cmdReadMemo, {270, 50, 201, 25}, {270, 50, 201, 25}},
        {frm->lblUser, {490, 50, 41, 24}, {490, 50, 41, 24}},
        {frm->cmbUser, {530, 50, 201, 24}, {530, 50, 201, 24}},
        {frm->cmdOpenLog, {10, 88, 201, 25}, {10, 88, 201, 25}},
        {frm->lblPairing, {270, 88, 71, 24}, {270, 88, 71, 24}},
        {frm->cmbPairing, {340, 88, 131, 24}, {340, 88, 131, 24}},
        {frm->lblFirstFrame, {490, 88, 71, 24}, {490, 88, 71, 24}},
        {frm->edtFirstFrame, {560, 88, 61, 24}, {560, 88, 61, 24}},
        {frm->cmdOriginals, {640, 88, 91, 25}, {640, 88, 91, 25}},
        {frm->vstImages, {10, 125, 731, 473}, {10, 125, 831, 573}},
        {frm->chkSidecar, {10, 608, 211, 24}, {10, 708, 211, 24}},
        {frm->cmbSidecar, {225, 608, 131, 24}, {225, 708, 131, 24}},
        {frm->chkWriteAll, {370, 608, 281, 24}, {370, 708, 281, 24}},
        {frm->lblSeconds, {10, 643, 55, 24}, {10, 743, 55, 24}},
        {frm->edtSeconds, {70, 643, 61, 24}, {70, 743, 61, 24}},
        {frm->lblTolerance, {150, 643, 55, 24}, {150, 743, 55, 24}},
        {frm->edtTolerance, {210, 643, 51, 24}, {210, 743, 51, 24}},
        {frm->cmdAuto, {280, 640, 31, 31}, {280, 740, 31, 31}},
        {frm->cmdChange, {330, 640, 191, 31}, {330, 740, 191, 31}},
        {frm->cmdClose, {540, 640, 101, 31}, {540, 740, 101, 31}},
        {frm->cmdAbout, {660, 640, 81, 31}, {660, 740, 81, 31}},
        {frm->StatusBar, {0, 682, 751, 19}, {0, 782, 851, 19}},
    };
    for (const auto& [widget, at, grown] : controls)
        EXPECT_EQ(widget->geometry(), at) << widget->metaObject()->className();
    frm->show();
    frm->resize(851, 801);
    for (const auto& [widget, at, grown] : controls)
        EXPECT_EQ(widget->geometry(), grown) << widget->metaObject()->className();
}

TEST_F(MainWindowTest, CaptionsAndTabOrder)
{
    EXPECT_EQ(frm->lblDir->text(), "Verzeichnis:");
    EXPECT_EQ(frm->cmdReadPics->text(), "Auslesen");
    EXPECT_EQ(frm->cmdReadFile->text(), "\"Zelmaro.txt\" auslesen");
    EXPECT_EQ(frm->cmdReadMemo->text(), "PalmDesktop Memo auslesen");
    EXPECT_EQ(frm->lblSeconds->text(), "Versatz:");
    EXPECT_EQ(frm->lblTolerance->text(), "Toleranz:");
    EXPECT_EQ(frm->cmdAuto->text(), "A");
    EXPECT_EQ(frm->cmdChange->text(), "Werte in Bilder eintragen");
    EXPECT_EQ(frm->cmdAbout->text(), QString::fromUtf8("Über..."));
    EXPECT_EQ(frm->cmdOpenLog->text(), QString::fromUtf8("Protokoll öffnen…"));
    EXPECT_EQ(frm->lblPairing->text(), "Zuordnung:");
    EXPECT_EQ(frm->cmbPairing->itemText(0), "der Reihe nach");
    EXPECT_EQ(frm->cmbPairing->itemText(1), "nach Zeit");
    EXPECT_EQ(frm->cmbPairing->itemText(2), "nach Dateiname");
    EXPECT_EQ(frm->cmbPairing->itemText(3), "nach Bildnummer");
    EXPECT_EQ(frm->actRestoreOriginals->text(), "Originale wiederherstellen");
    EXPECT_EQ(frm->actDeleteOriginals->text(), QString::fromUtf8("Originale löschen"));
    EXPECT_EQ(frm->chkSidecar->text(), "In XMP-Begleitdatei schreiben");
    EXPECT_EQ(frm->cmbSidecar->itemText(0), "NAME.xmp");
    EXPECT_EQ(frm->cmbSidecar->itemText(1), "NAME.EXT.xmp");
    EXPECT_FALSE(frm->cmbSidecar->accessibleName().isEmpty());
    EXPECT_EQ(frm->chkWriteAll->text(), "Alle protokollierten Werte eintragen");
    EXPECT_EQ(frm->chkWriteAll->accessibleName(), frm->chkWriteAll->text());
    EXPECT_FALSE(frm->cmdClose->text().isEmpty());
    EXPECT_FALSE(frm->cmdChange->icon().isNull());
    EXPECT_FALSE(frm->cmdAbout->icon().isNull());
    // A screen reader names each field by its label.
    const std::pair<QLabel*, QWidget*> labelled[] = {
        {frm->lblDir, frm->edtDir->Edit()}, {frm->lblUser, frm->cmbUser},
        {frm->lblPairing, frm->cmbPairing}, {frm->lblFirstFrame, frm->edtFirstFrame},
        {frm->lblSeconds, frm->edtSeconds}, {frm->lblTolerance, frm->edtTolerance}};
    for (const auto& [label, field] : labelled) {
        EXPECT_EQ(field->accessibleName() + ":", label->text());
        EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
    }

    // Everything enabled, so that each control takes its turn.
    for (QWidget* w : frm->findChildren<QWidget*>())
        w->setEnabled(true);
    frm->show();
    QApplication::setActiveWindow(frm.get());
    frm->edtDir->setFocus();
    const std::vector<QWidget*> expected = {
        frm->edtDir->Edit(), frm->cmdReadPics, frm->cmdReadFile,  frm->cmdReadMemo,
        frm->cmbUser,        frm->cmdOpenLog,  frm->cmbPairing,   frm->edtFirstFrame,
        frm->cmdOriginals,   frm->vstImages,   frm->chkSidecar,   frm->cmbSidecar,
        frm->chkWriteAll,    frm->edtSeconds,  frm->edtTolerance, frm->cmdAuto,
        frm->cmdChange,      frm->cmdClose,    frm->cmdAbout,
    };
    std::vector<QWidget*> seen;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        // A spin box's focus sits in its line edit.
        if (focus != nullptr && qobject_cast<TSpinEdit*>(focus->parentWidget()) != nullptr)
            focus = focus->parentWidget();
        seen.push_back(focus);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(seen, expected);
}

TEST_F(MainWindowTest, FirstStartWithoutStoredSettings)
{
    EXPECT_FALSE(frm->TerminateRequested());
    EXPECT_EQ(frm->Workflow().ExifTool(), "/usr/bin/exiftool");
    EXPECT_EQ(frm->edtDir->text(), "");
    EXPECT_EQ(frm->edtSeconds->Text(), "0");
    EXPECT_EQ(frm->edtTolerance->Text(), "1");
    EXPECT_EQ(frm->cmbUser->count(), 0);
    for (QWidget* w : Widgets{frm->cmdReadPics, frm->cmdReadFile, frm->cmdReadMemo, frm->lblUser,
                              frm->cmbUser, frm->cmdChange})
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    for (QWidget* w : Widgets{frm->edtDir, frm->vstImages, frm->edtSeconds, frm->edtTolerance,
                              frm->cmdAuto, frm->cmdClose, frm->cmdAbout})
        EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();
    EXPECT_EQ(frm->Model().rowCount(), 0);
}

TEST_F(MainWindowTest, StoredSettingsAreAppliedAtStart)
{
    QTemporaryDir dir;
    rig.users = {{"Anna", 11}, {"Bernd", 22}};
    // The height is below the smallest size.
    rig.StoreInts(
        {{"Left", 20}, {"Top", 30}, {"Width", 778}, {"Height", 100}, {"Correct", 100000}});
    rig.StoreString("LastPath", dir.path().toStdString());
    rig.StoreString("User", "bERND");
    frm = rig.Make();
    EXPECT_EQ(frm->pos(), QPoint(20, 30));
    EXPECT_EQ(frm->size(), QSize(770, 701));
    EXPECT_EQ(frm->edtSeconds->Text(), "24:00:00");
    EXPECT_EQ(frm->edtDir->text(), dir.path());
    for (QWidget* w : Widgets{frm->cmdReadPics, frm->cmdReadMemo, frm->lblUser, frm->cmbUser})
        EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();
    EXPECT_EQ(frm->cmbUser->currentIndex(), 1);
    EXPECT_EQ(frm->cmbUser->currentData().toInt(), 22);
    EXPECT_EQ(frm->edtTolerance->Text(), "1");
}

// Also run on a laptop's screen at 200 %, where the window is smaller than
// its design.
TEST_F(MainWindowTest, FitsTheScreenWhateverBoundsWereStored)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        bool stored;
        int left, top, width, height;
    } cases[] = {
        {false, 0, 0, 0, 0},
        {true, 0, 0, 2147483647, 2147483647},
        {true, -2147483647 - 1, 2147483647, 900, 800},
        {true, area.right() - 10, area.bottom() - 10, 759, 735},
    };
    for (const auto& c : cases) {
        if (c.stored)
            rig.StoreInts(
                {{"Left", c.left}, {"Top", c.top}, {"Width", c.width}, {"Height", c.height}});
        frm = rig.Make();
        frm->show();
        QCoreApplication::processEvents();
        const QRect outer = frm->frameGeometry();
        SCOPED_TRACE(::testing::Message()
                     << c.left << "," << c.top << " " << c.width << "x" << c.height << " on "
                     << area.width() << "x" << area.height() << " -> " << outer.x() << ","
                     << outer.y() << " " << outer.width() << "x" << outer.height());
        EXPECT_TRUE(area.contains(outer));
        if (area.width() >= 800 && area.height() >= 800) {
            EXPECT_GE(frm->width(), TfrmMain::kClientWidth);
            EXPECT_GE(frm->height(), TfrmMain::kClientHeight);
        }
        // The offset, the tolerance and the write button stay in sight.
        for (QWidget* w : Widgets{frm->edtSeconds, frm->edtTolerance, frm->cmdAuto, frm->cmdChange})
            EXPECT_TRUE(frm->rect().contains(QRect(w->mapTo(frm.get(), QPoint()), w->size())))
                << w->metaObject()->className();
        EXPECT_GE(frm->vstImages->height(), TfrmMain::kMinTableHeight);
    }
}

TEST_F(MainWindowTest, ColumnsShareTheWidthAndComeBackNextTime)
{
    const auto widths = [](TfrmMain& window) { return window.vstImages->ColumnWidths(); };
    const auto total = [](const std::vector<int>& w) {
        return std::accumulate(w.begin(), w.end(), 0);
    };
    const auto expectShares = [&](TfrmMain& window, double first, double second) {
        const std::vector<int> w = widths(window);
        EXPECT_EQ(total(w), window.vstImages->viewport()->width());
        EXPECT_EQ(w[colTimeState], 30);
        EXPECT_NEAR(static_cast<double>(w[0]) / w[1], first / second, 0.02);
    };
    frm->show();
    expectShares(*frm, 200, 140);
    frm->resize(1100, 701);
    expectShares(*frm, 200, 140);
    // A divider dragged by the user sets that column's share.
    frm->vstImages->header()->resizeSection(0, 420);
    const std::vector<int> chosen = widths(*frm);
    frm->resize(900, 701);
    expectShares(*frm, 420, chosen[1]);
    EXPECT_TRUE(frm->close());
    std::vector<int> stored;
    for (const QString& part : QString::fromStdString(rig.StoredString("ColumnWidths")).split(','))
        stored.push_back(part.toInt());
    EXPECT_EQ(stored, widths(*frm));

    auto again = rig.Make();
    again->show();
    expectShares(*again, stored[0], stored[1]);

    // What cannot be widths is passed over.
    for (const char* text : {"", "1,2", "abc", "200,140,100,30,140,10", "200,140,100,30,140,100,7",
                             "200,,100,30,140,100", "200,140,100,30,140,100 "}) {
        rig.StoreString("ColumnWidths", text);
        auto other = rig.Make();
        other->show();
        SCOPED_TRACE(text);
        expectShares(*other, 200, 140);
    }
}

TEST_F(MainWindowTest, PalmNamesShowAsTextAndAreStoredAsBytes)
{
    // Jörg and Jürg in Windows-1252: one byte apart, neither valid UTF-8.
    rig.users = {{"J\xF6rg", 11}, {"J\xFCrg", 22}};
    rig.StoreString("User", "J\xDCRG"); // JÜRG
    frm = rig.Make();
    EXPECT_EQ(frm->cmbUser->itemText(0), QStringLiteral("Jörg"));
    EXPECT_EQ(frm->cmbUser->itemText(1), QStringLiteral("Jürg"));
    EXPECT_EQ(frm->cmbUser->currentIndex(), 1);
    frm->close();
    EXPECT_EQ(rig.StoredString("User"), "J\xFCrg");
    auto again = rig.Make();
    EXPECT_EQ(again->cmbUser->currentIndex(), 1);
    EXPECT_EQ(again->cmbUser->currentData().toInt(), 22);
}

TEST_F(MainWindowTest, UserChoiceAndDirectoryAtStart)
{
    struct Case {
        const char* storedUser; // null: nothing stored
        int selected;
    };
    const Case cases[] = {{nullptr, 0}, {"", 0}, {"Bernd", 1}, {"Carla", -1}};
    for (const Case& c : cases) {
        test::MainRig fresh;
        fresh.users = {{"Anna", 11}, {"Bernd", 22}};
        fresh.StoreString("LastPath", "/no/such/folder/here");
        if (c.storedUser != nullptr)
            fresh.StoreString("User", c.storedUser);
        auto window = fresh.Make();
        EXPECT_EQ(window->cmbUser->currentIndex(), c.selected)
            << (c.storedUser ? c.storedUser : "none");
        EXPECT_EQ(window->edtDir->text(), "/no/such/folder/here");
        EXPECT_FALSE(window->cmdReadPics->isEnabled());
    }
}

TEST_F(MainWindowTest, MissingToolEndsBeforeAnythingIsRead)
{
    rig.tool.clear();
    rig.users = {{"Anna", 11}};
    rig.StoreString("LastPath", "/tmp");
    rig.StoreInts({{"Correct", 12}});
    frm = rig.Make();
    EXPECT_TRUE(frm->TerminateRequested());
    EXPECT_EQ(rig.Shown(), (std::vector<std::string>{"error: \"exiftool\" ist nicht vorhanden!"}));
    EXPECT_EQ(frm->cmbUser->count(), 0);
    EXPECT_EQ(frm->edtDir->text(), "");
    EXPECT_EQ(frm->edtSeconds->Text(), "0");

    // The end request stops event loops until the next exec(); start and
    // stop one so that later tests can show boxes again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QApplication::exec();
}

TEST_F(MainWindowTest, ClosingFreesTheListsAndStoresTheSettings)
{
    rig.users = {{"Anna", 11}, {"Bernd", 22}};
    frm = rig.Make();
    test::Fill(*frm, {{"a.jpg", 1000, 0.004}}, {{1000, 0.004}});
    frm->move(25, 35);
    frm->resize(760, 720);
    frm->Workflow().SetOffset(-7384);
    frm->SetDirectoryText("/some/where");
    frm->cmbUser->setCurrentIndex(1);
    EXPECT_TRUE(frm->close());
    EXPECT_TRUE(frm->Workflow().Images().empty());
    EXPECT_TRUE(frm->Workflow().Shots().empty());
    EXPECT_EQ(frm->Model().rowCount(), 0);

    EXPECT_EQ(rig.StoredInt("Left"), frm->frameGeometry().x());
    EXPECT_EQ(rig.StoredInt("Top"), frm->frameGeometry().y());
    EXPECT_EQ(rig.StoredInt("Width"), 768);
    EXPECT_EQ(rig.StoredInt("Height"), 754);
    EXPECT_EQ(rig.StoredInt("Correct"), -7384);
    EXPECT_EQ(rig.StoredString("LastPath"), "/some/where");
    EXPECT_EQ(rig.StoredString("User"), "Bernd");

    // What was stored comes back the same at the next start.
    auto again = rig.Make();
    EXPECT_EQ(again->size(), QSize(760, 720));
    EXPECT_EQ(again->edtSeconds->Text(), "-2:03:04");
    EXPECT_EQ(again->cmbUser->currentIndex(), 1);
}

TEST_F(MainWindowTest, ClosingWithoutSelectionOrNumberStoresEmptyUserAndLowerBound)
{
    rig.users = {{"Anna", 11}};
    frm = rig.Make();
    frm->cmbUser->setCurrentIndex(-1);
    frm->edtSeconds->Edit()->setText("-");
    frm->close();
    EXPECT_EQ(rig.StoredInt("Correct", 0), -86400);
    EXPECT_EQ(rig.StoredString("User", "default"), "default");
    ASSERT_TRUE(rig.registry.QueryValue(AppKeyPath(kSettingsAppName), "User").has_value());
}

TEST_F(MainWindowTest, DirectoryFieldEnablesReading)
{
    QTemporaryDir dir;
    frm->SetDirectoryText(dir.path().toStdString());
    EXPECT_TRUE(frm->cmdReadPics->isEnabled());
    frm->SetDirectoryText(dir.filePath("missing").toStdString());
    EXPECT_FALSE(frm->cmdReadPics->isEnabled());
    frm->SetDirectoryText("");
    EXPECT_FALSE(frm->cmdReadPics->isEnabled());
}

TEST_F(MainWindowTest, OffsetAndToleranceChangesMatchOnlyWithImages)
{
    frm->Workflow().SetOffset(5);
    EXPECT_EQ(frm->Model().rowCount(), 0);
    frm->Workflow().SetOffset(0);

    test::Fill(*frm, {{"a.jpg", 1000, 0.004}}, {{1003, 0.004}});
    ASSERT_EQ(frm->Model().rowCount(), 1);
    EXPECT_EQ(frm->Model().RowItem(0)->TimeState, TMatchState::msNear);

    // Deleting the offset and typing "-3": "" and "-" read -86400, then -3.
    std::vector<int> offsets;
    QObject::connect(frm->edtSeconds, &TSpinEdit::Changed,
                     [&] { offsets.push_back(frm->Workflow().Offset()); });
    frm->edtSeconds->Edit()->selectAll();
    QTest::keyClick(frm->edtSeconds, Qt::Key_Delete);
    QTest::keyClicks(frm->edtSeconds, "-3");
    EXPECT_EQ(offsets, (std::vector<int>{-86400, -86400, -3}));
    EXPECT_EQ(frm->Model().RowItem(0)->TimeState, TMatchState::msEqual);

    frm->edtTolerance->SetValue(0);
    frm->Workflow().SetOffset(-2);
    EXPECT_EQ(frm->Model().RowItem(0)->TimeState, TMatchState::msNear);
    frm->edtTolerance->SetValue(2);
    EXPECT_EQ(frm->Model().RowItem(0)->TimeState, TMatchState::msEqual);
}

TEST_F(MainWindowTest, AutoOffsetSetsTheOffsetOrReportsNoMatch)
{
    QTest::mouseClick(frm->cmdAuto, Qt::LeftButton);
    EXPECT_EQ(rig.Shown(), (std::vector<std::string>{"info: Keine Übereinstimmung gefunden!"}));
    test::Fill(*frm, {{"a.jpg", 1040, 0.004}, {"b.jpg", 1100, 0.004}},
               {{1000, 0.004}, {1060, 0.01}});
    QTest::mouseClick(frm->cmdAuto, Qt::LeftButton);
    EXPECT_EQ(frm->Workflow().Offset(), 40);
    EXPECT_EQ(frm->Model().RowItem(1)->TimeState, TMatchState::msEqual);
    EXPECT_TRUE(frm->cmdChange->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Three images an hour and 7 s after their shots, one 5 s after its shot:
// "A" finds 5 s within its range and asks about the hour, unless the offset
// already lies beyond the range.
TEST_F(MainWindowTest, AutoOffsetAsksBeforeTakingAnOffsetAnHourOff)
{
    const std::string question = "question: Bester Versatz +1 h 0 min 7 s liegt außerhalb des "
                                 "Bereichs – Zeitzone oder Sommerzeit der Kamera?\nÜbernehmen?";
    struct Case {
        const char* typed;
        bool answer;
        int offset;
        const char* text;
        std::size_t questions; // after a second click
    } cases[] = {
        {nullptr, false, 5, "5", 2},
        {nullptr, true, 3607, "1:00:07", 1},
        {"-0:05:01", false, 3607, "1:00:07", 0},
    };
    for (const Case& c : cases) {
        frm = rig.Make();
        rig.boxes.Messages.clear();
        rig.boxes.Answer = c.answer;
        test::Fill(*frm,
                   {{"a.jpg", 4607, 0.004},
                    {"b.jpg", 5607, 0.004},
                    {"c.jpg", 6607, 0.004},
                    {"d.jpg", 9005, 0.004}},
                   {{1000, 0.004}, {2000, 0.004}, {3000, 0.004}, {9000, 0.004}});
        if (c.typed) {
            frm->edtSeconds->Edit()->clear();
            QTest::keyClicks(frm->edtSeconds, c.typed);
        }
        QTest::mouseClick(frm->cmdAuto, Qt::LeftButton);
        EXPECT_EQ(frm->Workflow().Offset(), c.offset) << c.answer;
        EXPECT_EQ(frm->edtSeconds->Text(), c.text) << c.answer;
        if (c.answer) {
            EXPECT_EQ(frm->StatusBar->currentMessage(), "Versatz 3607 s: 3 Bilder genau");
        }
        QTest::mouseClick(frm->cmdAuto, Qt::LeftButton);
        EXPECT_EQ(rig.Shown(), std::vector<std::string>(c.questions, question)) << c.answer;
        EXPECT_EQ(frm->Workflow().Offset(), c.offset) << c.answer;
    }
}

TEST_F(MainWindowTest, DraggedOffsetsReachADay)
{
    const std::tuple<std::uint32_t, std::uint32_t, const char*> cases[] = {
        {10000, 12160, "-2160"},     // 36 minutes
        {100000, 10000, "24:00:00"}, // beyond a day: the bound
        {10000, 17384, "-2:03:04"},
    };
    for (const auto& [image, shot, text] : cases) {
        frm->Workflow().SetOffsetFromPair({"a.jpg", image, 0.004}, {shot, 0.004});
        EXPECT_EQ(frm->edtSeconds->Text(), text);
    }
}

TEST_F(MainWindowTest, OffsetBoxIsNamedForAssistiveTechnology)
{
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(frm->edtSeconds);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(QAccessible::Name), "Versatz");
    EXPECT_EQ(box->text(QAccessible::Description), "Sekunden oder [-]H:MM:SS");

    // Both boxes tell their value and range.
    frm->edtSeconds->SetValue(3600);
    const std::tuple<TSpinEdit*, int, int, int> boxes[] = {{frm->edtSeconds, 3600, -86400, 86400},
                                                           {frm->edtTolerance, 1, 0, 2}};
    for (const auto& [spin, value, low, high] : boxes) {
        QAccessibleValueInterface* reading =
            QAccessible::queryAccessibleInterface(spin)->valueInterface();
        ASSERT_NE(reading, nullptr);
        EXPECT_EQ(reading->currentValue().toInt(), value);
        EXPECT_EQ(reading->minimumValue().toInt(), low);
        EXPECT_EQ(reading->maximumValue().toInt(), high);
    }
}

} // namespace
} // namespace zelmaro
