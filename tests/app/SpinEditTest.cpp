#include "app/SpinEdit.h"

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

} // namespace
} // namespace zelmaro
