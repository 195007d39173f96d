#include "about/Label3D.h"
#include "QStringPrinter.h"
#include "about/Colors.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

namespace zelmaro {
namespace {

constexpr TColor kBackground = 0x00FF00; // green
constexpr TColor kCaption = clRed;

QImage Render(TLabel3D& label)
{
    return label.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A label with crisp glyphs so that offset copies are exact translations;
// tsNone draws the caption alone.
void Prepare(TLabel3D& label, const QString& caption = QStringLiteral("Hi"),
             TTextStyle style = TTextStyle::tsRaised)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    label.setFont(font);
    label.SetAutoSize(false);
    label.resize(80, 40);
    label.SetColor(kBackground);
    label.SetFontColor(kCaption);
    label.SetCaption(caption);
    label.SetTextStyle(style);
    label.move(0, 0);
}

// The pixels of one colour, row by row.
std::vector<QPoint> PixelsOf(const QImage& image, TColor color = kCaption)
{
    const QRgb wanted = ToQColor(color).rgb();
    std::vector<QPoint> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == wanted)
                pixels.push_back(QPoint(x, y));
    return pixels;
}

QRect Inked(const QImage& image)
{
    QRect inked;
    for (QPoint p : PixelsOf(image))
        inked |= QRect(p, QSize(1, 1));
    return inked;
}

std::vector<QPoint> CaptionPixels(TLabel3D& label)
{
    TTextStyle saved = label.TextStyle();
    label.SetTextStyle(TTextStyle::tsNone);
    QImage image = Render(label);
    label.SetTextStyle(saved);
    return PixelsOf(image, label.isEnabled() ? label.FontColor() : clGrayText);
}

struct Pass {
    int Offset;
    TColor Color;
};

// How many pixels of the label in the style differ from the background, then
// each copy of the caption moved by its offset, then the caption on top in
// the colour last.
int Mismatches(TLabel3D& label, TTextStyle style, const std::vector<Pass>& passes, TColor last)
{
    const std::vector<QPoint> caption = CaptionPixels(label);
    EXPECT_GT(caption.size(), 50u);
    label.SetTextStyle(style);
    const QImage actual = Render(label);
    QImage expected(actual.size(), QImage::Format_RGB32);
    expected.fill(ToQColor(kBackground));
    for (const Pass& pass : passes) {
        for (QPoint p : caption) {
            QPoint q = p + QPoint(pass.Offset, pass.Offset);
            if (expected.rect().contains(q))
                expected.setPixel(q, ToQColor(pass.Color).rgb());
        }
    }
    for (QPoint p : caption)
        expected.setPixel(p, ToQColor(last).rgb());
    int count = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            count += actual.pixel(x, y) != expected.pixel(x, y);
    return count;
}

// Every test starts with a label of its own.
class Label3D : public ::testing::Test {
protected:
    TLabel3D label;
};

TEST_F(Label3D, StartsWithItsDefaults)
{
    EXPECT_EQ(label.TextStyle(), TTextStyle::tsRaised);
    EXPECT_EQ(label.BorderColor(), clRed);
    EXPECT_EQ(label.BorderWidth(), 1);
    EXPECT_FALSE(label.Border());
    EXPECT_EQ(label.Shift(), 1);
    EXPECT_EQ(label.Escapement(), 0);
    EXPECT_EQ(label.HoverColor(), clRed);
    EXPECT_EQ(label.ShadowColor(), ColorToRGB(clBtnShadow));
    EXPECT_EQ(label.HighlightColor(), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(label.font().family(), QStringLiteral("Arial"));
    EXPECT_TRUE(label.AutoSize());
}

TEST_F(Label3D, ThreeDPassesDrawOffsetCopiesThenTheCaption)
{
    const TColor shadow = label.ShadowColor();
    const TColor light = label.HighlightColor();
    ASSERT_NE(shadow, light);

    const std::tuple<TTextStyle, int, std::vector<Pass>> cases[] = {
        {TTextStyle::tsNone, 1, {}},
        {TTextStyle::tsRaised, 1, {{1, shadow}}},
        {TTextStyle::tsLightRaised, 1, {{1, shadow}, {-1, light}}},
        {TTextStyle::tsRecessed, 1, {{1, light}}},
        {TTextStyle::tsHeavyRecessed, 1, {{1, light}, {-1, shadow}}},
        {TTextStyle::tsShadow, 3, {{3, shadow}}},
        // The shift belongs to the shadow style only.
        {TTextStyle::tsRaised, 3, {{1, shadow}}},
    };
    for (const auto& [style, shift, passes] : cases) {
        TLabel3D drawn;
        Prepare(drawn);
        drawn.SetShift(shift);
        EXPECT_EQ(Mismatches(drawn, style, passes, kCaption), 0) << static_cast<int>(style);
    }
}

TEST_F(Label3D, DisabledLabelDrawsOnlyItsLastPassGrey)
{
    Prepare(label);
    label.setEnabled(false);
    EXPECT_EQ(Mismatches(label, TTextStyle::tsLightRaised,
                         {{1, label.ShadowColor()}, {-1, label.HighlightColor()}}, clGrayText),
              0);
}

TEST_F(Label3D, EscapementIsNormalised)
{
    const std::pair<int, int> cases[] = {{-30, 330}, {725, 5}, {360, 360}, {0, 0}};
    for (auto [in, out] : cases) {
        label.SetEscapement(in);
        EXPECT_EQ(label.Escapement(), out) << in;
    }
}

TEST_F(Label3D, RotatedCaptionSizesTheLabelAndRunsUpwards)
{
    Prepare(label, QStringLiteral("Zelmaro"), TTextStyle::tsNone);
    QFontMetrics metrics(label.font());
    const int w = metrics.horizontalAdvance(label.Caption());
    const int h = metrics.height();
    label.SetAutoSize(true);
    label.SetEscapement(90);
    EXPECT_EQ(label.size(), QSize(h, w));

    const QRect inked = Inked(Render(label));
    ASSERT_FALSE(inked.isEmpty());
    // The text starts at the bottom and reaches almost to the top.
    EXPECT_GT(inked.bottom(), w - 6);
    EXPECT_LT(inked.top(), 10);
    EXPECT_GT(inked.height(), w / 2);
    EXPECT_LE(inked.width(), h);
    EXPECT_GT(inked.width(), h / 3);
}

TEST_F(Label3D, RotatedCaptionIsAlignedWithinAFixedLabel)
{
    Prepare(label, QStringLiteral("Ab"), TTextStyle::tsNone);
    label.resize(200, 200);
    label.SetEscapement(90);
    auto inkedLeft = [&] { return Inked(Render(label)).left(); };
    const int left = inkedLeft();
    const int h = QFontMetrics(label.font()).height();
    label.SetAlignment(TTextAlignment::taRightJustify);
    EXPECT_EQ(inkedLeft(), left + 200 - h);
    label.SetAlignment(TTextAlignment::taCenter);
    EXPECT_EQ(inkedLeft(), left + (200 - h) / 2);
}

TEST_F(Label3D, BorderKinds)
{
    Prepare(label, QString(), TTextStyle::tsNone);
    label.SetBorder(true);
    const QRgb grey = qRgb(0x80, 0x80, 0x80), white = qRgb(255, 255, 255);
    const QRgb back = ToQColor(kBackground).rgb(), red = qRgb(255, 0, 0);
    const int r = 79, b = 39;

    const std::tuple<TBorderType, QRgb, QRgb, QRgb> cases[] = {
        {TBorderType::btRecessed, grey, white, back},
        {TBorderType::btRaised, white, grey, back},
        {TBorderType::btDefault, red, red, red},
    };
    for (const auto& [type, topLeft, bottomRight, openCorners] : cases) {
        label.SetBorderType(type);
        QImage image = Render(label);
        // Each frame line leaves out its end point: two corners stay open.
        const std::pair<QPoint, QRgb> pixels[] = {
            {{0, 0}, topLeft},     {{r - 1, 0}, topLeft}, {{0, b - 1}, topLeft},
            {{r, b}, bottomRight}, {{r, 1}, bottomRight}, {{1, b}, bottomRight},
            {{r, 0}, openCorners}, {{0, b}, openCorners}, {{40, 20}, back}};
        for (const auto& [point, colour] : pixels)
            EXPECT_EQ(image.pixel(point), colour) << point.x() << "," << point.y();
    }
    label.SetBorderWidth(0);
    EXPECT_EQ(Render(label).pixel(0, 0), back);
}

TEST_F(Label3D, EllipsisShortensAndSwitchesAutoSizeOff)
{
    auto chars = [](const QString& s) { return static_cast<int>(s.size()); };
    const std::tuple<const char*, TEllipsesStyle, int, const char*> cases[] = {
        {"abcdefgh", TEllipsesStyle::esEnd, 6, "abc..."},
        {"abcdefgh", TEllipsesStyle::esEnd, 8, "abcdefgh"},
        {"abcdefgh", TEllipsesStyle::esNone, 3, "abcdefgh"},
        {"abcdefgh", TEllipsesStyle::esPath, 6, "abc..."},
        {"C:\\dir\\sub\\file.txt", TEllipsesStyle::esPath, 15, "C:\\...\\file.txt"},
        {"/home/user/photos/img.jpg", TEllipsesStyle::esPath, 14, "/ho.../img.jpg"},
        {"/a/very/long/name.jpg", TEllipsesStyle::esPath, 5, ".../name.jpg"},
        {"abcdefgh", TEllipsesStyle::esEnd, 2, "..."},
    };
    for (const auto& [text, style, width, expected] : cases)
        EXPECT_EQ(ElideLine(QString::fromUtf8(text), style, width, chars),
                  QString::fromUtf8(expected))
            << text << " " << width;

    ASSERT_TRUE(label.AutoSize());
    label.SetEllipsesStyle(TEllipsesStyle::esEnd);
    EXPECT_FALSE(label.AutoSize());
}

TEST_F(Label3D, EndEllipsisIsDrawnWhenTheCaptionDoesNotFit)
{
    Prepare(label, QStringLiteral("Ein viel zu langer Text"), TTextStyle::tsNone);
    label.SetEllipsesStyle(TEllipsesStyle::esEnd);
    // The rightmost caption pixel is the last dot, not cut-off text.
    QFontMetrics metrics(label.font());
    QString shown = ElideLine(label.Caption(), TEllipsesStyle::esEnd, label.width(),
                              [&](const QString& s) { return metrics.horizontalAdvance(s); });
    EXPECT_TRUE(shown.endsWith(QStringLiteral("...")));
    const int right = Inked(Render(label)).right();
    EXPECT_LE(right, metrics.horizontalAdvance(shown));
    EXPECT_GT(right, 0);
}

TEST_F(Label3D, LinkClicksOpenTheAddressAndAlwaysFireClicked)
{
    // The style, the address and what is opened (nullptr: nothing).
    const std::tuple<TLabelStyle, const char*, const char*> cases[] = {
        {TLabelStyle::lsEMailAddress, "info@quandrel.example", "mailto:info@quandrel.example"},
        {TLabelStyle::lsWWWAddress, "https://quandrel.example/z", "https://quandrel.example/z"},
        {TLabelStyle::lsWWWAddress, "www.quandrel.example", "http://www.quandrel.example"},
        {TLabelStyle::lsEMailAddress, "", nullptr},
        {TLabelStyle::lsDefault, "https://quandrel.example", nullptr},
    };
    for (const auto& [style, address, url] : cases) {
        TLabel3D link;
        std::vector<QUrl> opened;
        link.SetUrlOpener([&](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        link.SetLabelStyle(style);
        link.SetAddress(QString::fromUtf8(address));
        link.SetCaption(QStringLiteral("Link"));
        QSignalSpy clicked(&link, &TLabel3D::clicked);
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(clicked.count(), 1) << address;
        if (url == nullptr) {
            EXPECT_TRUE(opened.empty()) << address;
        } else {
            ASSERT_EQ(opened.size(), 1u);
            EXPECT_EQ(opened[0], QUrl(QString::fromUtf8(url)));
            EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
        }
    }
}

TEST_F(Label3D, FailingLinkOpenerIsSwallowed)
{
    label.SetLabelStyle(TLabelStyle::lsWWWAddress);
    label.SetAddress(QStringLiteral("https://quandrel.example"));
    label.SetUrlOpener([](const QUrl&) -> bool { throw std::runtime_error("no browser"); });
    QSignalSpy clicked(&label, &TLabel3D::clicked);
    EXPECT_NO_THROW(label.Click());
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(Label3D, HoverOverALinkUnderlinesAndColours)
{
    label.SetLabelStyle(TLabelStyle::lsEMailAddress);
    label.SetFontColor(clBlue);
    QFont designed = label.font();
    designed.setUnderline(true);
    label.setFont(designed);
    QSignalSpy entered(&label, &TLabel3D::mouseEntered);
    QSignalSpy exited(&label, &TLabel3D::mouseExited);

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.FontColor(), label.HoverColor());
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(entered.count(), 1);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.FontColor(), clBlue);
    // The underline goes, even though the design font had one.
    EXPECT_FALSE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(exited.count(), 1);

    TLabel3D plain;
    plain.SetFontColor(clBlue);
    QSignalSpy plainEntered(&plain, &TLabel3D::mouseEntered);
    QCoreApplication::sendEvent(&plain, &enter);
    EXPECT_EQ(plain.FontColor(), clBlue);
    EXPECT_FALSE(plain.font().underline());
    EXPECT_EQ(plainEntered.count(), 1);
}

} // namespace
} // namespace zelmaro
