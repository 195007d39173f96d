#include "about/Colors.h"
#include "about/Gfvcl.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace zelmaro {
namespace {

QRgb Rgb(TColor c)
{
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

QRgb Grey(int level)
{
    return qRgb(level, level, level);
}

QImage Render(TGradientFill& fill)
{
    return fill.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(GradientFill, StartsWithItsDefaults)
{
    TGradientFill fill;
    EXPECT_EQ(fill.size(), QSize(105, 105));
    EXPECT_EQ(fill.BeginColor(), clBlue);
    EXPECT_EQ(fill.EndColor(), clBlack);
    EXPECT_EQ(fill.FillDirection(), TFillDirection::fdTopToBottom);
    EXPECT_EQ(fill.NumberOfColors(), 0);
    EXPECT_FALSE(fill.AutoSize());
    EXPECT_EQ(fill.DefaultColorCount(),
              DefaultColorCountForDepth(QGuiApplication::primaryScreen()->depth()));
    EXPECT_EQ(fill.ColorCount(), fill.DefaultColorCount());
}

TEST(GradientFill, SixteenGreyBandsFromTheTop)
{
    const int tops[] = {0, 7, 13, 20, 26, 33, 39, 46, 53, 59, 66, 72, 79, 85, 92, 98, 105};
    TGradientFill fill;
    fill.SetBeginColor(clBlack);
    fill.SetEndColor(clWhite);
    fill.SetNumberOfColors(16);
    QImage down = Render(fill);
    fill.SetFillDirection(TFillDirection::fdBottomToTop);
    QImage up = Render(fill);
    ASSERT_EQ(down.size(), QSize(105, 105));
    for (int i = 0; i < 16; ++i) {
        for (int row : {tops[i], tops[i + 1] - 1}) {
            for (int column : {0, 52, 104}) {
                EXPECT_EQ(down.pixel(column, row), Grey(17 * i)) << i << " row " << row;
                EXPECT_EQ(up.pixel(column, row), Grey(255 - 17 * i)) << i << " row " << row;
            }
        }
    }
}

TEST(GradientFill, HorizontalBarAsInTheAboutBox)
{
    TGradientFill fill;
    fill.resize(401, 5);
    fill.SetBeginColor(clNavy);
    fill.SetEndColor(13399927);
    fill.SetFillDirection(TFillDirection::fdLeftToRight);
    fill.SetNumberOfColors(16);
    QImage image = Render(fill);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 128));
    EXPECT_EQ(image.pixel(400, 4), qRgb(119, 119, 204));
    // Band 1 starts at MulDiv(1, 401, 16) = 25.
    EXPECT_EQ(image.pixel(24, 2), qRgb(0, 0, 128));
    EXPECT_EQ(image.pixel(25, 2),
              qRgb(MulDiv(1, 119, 15), MulDiv(1, 119, 15), 128 + MulDiv(1, 76, 15)));

    fill.SetFillDirection(TFillDirection::fdRightToLeft);
    image = Render(fill);
    EXPECT_EQ(image.pixel(0, 0), qRgb(119, 119, 204));
    EXPECT_EQ(image.pixel(400, 0), qRgb(0, 0, 128));
}

TEST(GradientFill, OneOrTwoBandsAndBackToTheDefault)
{
    TGradientFill fill;
    fill.resize(40, 21);
    fill.SetBeginColor(clRed);
    fill.SetEndColor(clBlue);
    fill.SetNumberOfColors(1);
    EXPECT_EQ(fill.ColorCount(), 1);
    QImage one = Render(fill);
    for (QPoint p : {QPoint(0, 0), QPoint(39, 20), QPoint(20, 10)})
        EXPECT_EQ(one.pixel(p), Rgb(clRed));

    fill.SetNumberOfColors(2);
    QImage two = Render(fill);
    EXPECT_EQ(two.pixel(0, 10), Rgb(clRed)); // rows 0..10: MulDiv(1, 21, 2) = 11
    EXPECT_EQ(two.pixel(0, 11), Rgb(clBlue));
    EXPECT_EQ(two.pixel(39, 20), Rgb(clBlue));

    fill.SetNumberOfColors(0);
    EXPECT_EQ(fill.ColorCount(), fill.DefaultColorCount());
}

TEST(GradientFill, SystemColoursAreResolvedBeforeUse)
{
    TGradientFill fill;
    fill.resize(10, 10);
    fill.SetBeginColor(clBtnFace);
    fill.SetEndColor(clBtnFace);
    EXPECT_EQ(Render(fill).pixel(5, 5), ToQColor(clBtnFace).rgb());
}

// Counts paint events of one widget.
class PaintCounter : public QObject {
public:
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

TEST(GradientFill, SettersRedrawAsTheirRulesSay)
{
    TGradientFill fill;
    PaintCounter paints;
    fill.installEventFilter(&paints);
    fill.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fill));
    QCoreApplication::processEvents();

    // How many paints a change brings about at once.
    auto paintsOf = [&](auto change) {
        const int before = paints.Count;
        change();
        return paints.Count - before;
    };
    // The same direction again: nothing at all.
    EXPECT_EQ(paintsOf([&] {
                  fill.SetFillDirection(TFillDirection::fdTopToBottom);
                  QCoreApplication::processEvents();
              }),
              0);
    // A new direction and any colour, even an unchanged one, draw at once.
    EXPECT_GT(paintsOf([&] { fill.SetFillDirection(TFillDirection::fdLeftToRight); }), 0);
    EXPECT_GT(paintsOf([&] { fill.SetBeginColor(fill.BeginColor()); }), 0);
    EXPECT_GT(paintsOf([&] { fill.SetEndColor(fill.EndColor()); }), 0);

    // The band count only asks for a later repaint.
    QCoreApplication::processEvents();
    EXPECT_EQ(paintsOf([&] { fill.SetNumberOfColors(4); }), 0);
    EXPECT_GT(paintsOf([] { QCoreApplication::processEvents(); }), 0);
}

} // namespace
} // namespace zelmaro
