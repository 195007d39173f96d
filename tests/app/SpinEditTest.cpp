#include "app/SpinEdit.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace zelmaro {
namespace {

// Records the value the box reads at each of its change events.
struct ChangeLog {
    explicit ChangeLog(TSpinEdit& box)
    {
        QObject::connect(&box, &TSpinEdit::Changed,
                         [this, &box] { values.push_back(box.Value()); });
    }
    std::vector<int> values;
};

TEST(SpinEditTest, DeletingAndTypingANegativeNumberReadsTheLowerBoundOnTheWay)
{
    TSpinEdit box(-300, 300, 4);
    box.SetValue(17);
    ChangeLog log(box);
    box.Edit()->selectAll();
    QTest::keyClick(&box, Qt::Key_Delete);
    QTest::keyClicks(&box, "-5");
    EXPECT_EQ(log.values, (std::vector<int>{-300, -300, -5}));
    EXPECT_EQ(box.Text(), "-5");
}

TEST(SpinEditTest, TypingKeepsOnlySignsAndDigits)
{
    struct Case {
        const char* typed;
        const char* text;
        int value;
        int changes;
    };
    const Case cases[] = {
        {"12", "12", 12, 2},     {"+7", "+7", 7, 2},      {"a1b", "1", 1, 1}, {"1,5", "15", 15, 2},
        {" ", "", -300, 0},      {"4000", "400", 400, 3}, // the fourth character does not fit
        {"5-5", "5-5", -300, 3},                          // not a whole number
        {"1:5", "15", 15, 2},                             // no times in a number box
    };
    for (const Case& c : cases) {
        TSpinEdit box(-300, 300, 3);
        box.Edit()->clear();
        ChangeLog log(box);
        QTest::keyClicks(&box, c.typed);
        EXPECT_EQ(box.Text(), c.text) << c.typed;
        EXPECT_EQ(box.Value(), c.value) << c.typed;
        EXPECT_EQ(static_cast<int>(log.values.size()), c.changes) << c.typed;
    }
}

TEST(SpinEditTest, ProgramValuesAreClampedAndAnUnchangedTextRaisesNoEvent)
{
    TSpinEdit box(-300, 300, 4);
    ChangeLog log(box);
    box.SetValue(500);
    EXPECT_EQ(box.Text(), "300");
    box.SetValue(-1000);
    EXPECT_EQ(box.Text(), "-300");
    box.SetValue(-300);
    EXPECT_EQ(log.values, (std::vector<int>{300, -300}));
}

TEST(SpinEditTest, TypedValueOutsideTheRangeStaysUntilTheFocusLeaves)
{
    QWidget window;
    auto* box = new TSpinEdit(0, 2, 1, &window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    box->setFocus();
    box->Edit()->clear();
    QTest::keyClicks(box, "7");
    EXPECT_EQ(box->Value(), 7);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
    EXPECT_EQ(box->Text(), "2");

    box->Edit()->clear();
    QApplication::sendEvent(box, &out);
    EXPECT_EQ(box->Text(), "") << "a non-number stays as typed";
}

TEST(SpinEditTest, ArrowsStepByOneWithinTheRange)
{
    TSpinEdit box(-300, 300, 4);
    box.SetValue(299);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.Value(), 300);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.Value(), 300);
    box.SetValue(-300);
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.Value(), -300);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.Value(), -299);
}

// The offset box: seconds or [-]H:MM:SS within a day.
TSpinEdit MakeDurationBox()
{
    return TSpinEdit(-86400, 86400, 9, nullptr, TSpinFormat::sfDuration);
}

TEST(SpinEditTest, DurationsAreTypedAsSecondsOrHoursMinutesSeconds)
{
    struct Case {
        const char* typed;
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"1:00:00", "1:00:00", 3600},
        {"-2:03:04", "-2:03:04", -7384},
        {"+0:00:07", "+0:00:07", 7},
        {"3600", "3600", 3600},           // kept as typed
        {"30:00:00", "30:00:00", 108000}, // beyond the range until the focus leaves
        {"1:00", "1:00", -86400},         // not yet a time
        {"1:60:00", "1:60:00", -86400},
        {"1::00:00", "1::00:00", -86400},
        {"1h00", "100", 100},
        {"-24:00:00-", "-24:00:00", -86400}, // the tenth character does not fit
    };
    for (const Case& c : cases) {
        TSpinEdit box = MakeDurationBox();
        box.Edit()->clear();
        ChangeLog log(box);
        QTest::keyClicks(&box, c.typed);
        EXPECT_EQ(box.Text(), c.text) << c.typed;
        EXPECT_EQ(box.Value(), c.value) << c.typed;
        EXPECT_EQ(static_cast<qsizetype>(log.values.size()), QString(c.text).size()) << c.typed;
    }
}

TEST(SpinEditTest, DurationsOfAnHourOrMoreShowAsHoursMinutesSeconds)
{
    const std::pair<int, const char*> cases[] = {
        {7, "7"},
        {-7, "-7"},
        {300, "300"},
        {3599, "3599"},
        {3600, "1:00:00"},
        {-7384, "-2:03:04"},
        {86400, "24:00:00"},
        {-86399, "-23:59:59"},
        {90000, "24:00:00"},
        {-90000, "-24:00:00"},
    };
    for (const auto& [value, text] : cases) {
        TSpinEdit box = MakeDurationBox();
        box.SetValue(value);
        EXPECT_EQ(box.Text(), text) << value;
    }

    TSpinEdit box = MakeDurationBox();
    box.SetValue(3599);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.Text(), "1:00:00");
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.Text(), "3599");
    box.SetValue(86400);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.Text(), "24:00:00");
}

TEST(SpinEditTest, PastedDurationsAreTakenAndClampedWhenTheFocusLeaves)
{
    QWidget window;
    auto* box = new TSpinEdit(-86400, 86400, 9, &window, TSpinFormat::sfDuration);
    window.show();
    box->setFocus();
    box->Edit()->clear();
    QGuiApplication::clipboard()->setText("1 h");
    box->Edit()->paste();
    EXPECT_EQ(box->Text(), "");
    QGuiApplication::clipboard()->setText("-25:30:00");
    box->Edit()->paste();
    EXPECT_EQ(box->Value(), -91800);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
    EXPECT_EQ(box->Text(), "-24:00:00");
}

TEST(SpinEditTest, ATextTooWideForTheBoxIsNarrowedUntilItFits)
{
    TSpinEdit box = MakeDurationBox();
    box.resize(61, 24); // the window's offset box
    box.show();
    const int room = box.Edit()->contentsRect().width() - 4;
    box.SetValue(-86400);
    const QFont narrowed = box.Edit()->font();
    EXPECT_LT(narrowed.stretch(), 100);
    EXPECT_GT(QFontMetrics(box.font()).horizontalAdvance(box.Text()), room);
    EXPECT_LE(QFontMetrics(narrowed).horizontalAdvance(box.Text()), room);
    box.SetValue(7);
    EXPECT_FALSE(box.Edit()->testAttribute(Qt::WA_SetFont)) << "the box's own font again";
}

} // namespace
} // namespace zelmaro
