#pragma once

#include "about/GradientMath.h"

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

namespace zelmaro {

enum class TTextStyle { tsNone, tsRaised, tsLightRaised, tsRecessed, tsHeavyRecessed, tsShadow };
enum class TBorderType { btDefault, btRecessed, btRaised };
enum class TLabelStyle { lsDefault, lsWWWAddress, lsEMailAddress };
enum class TEllipsesStyle { esNone, esEnd, esPath };
enum class TTextAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };

// Shortens one line so that it fits maxWidth as measured: "..." at the end,
// or in the middle of a path keeping as much as possible after the last "\"
// or "/". Lines that fit, and esNone, stay as they are.
QString ElideLine(const QString& line, TEllipsesStyle style, int maxWidth,
                  const std::function<int(const QString&)>& measure);

// A text label that draws its caption raised, recessed or shadowed, can turn
// it by any angle, draw a border, shorten it with an ellipsis and act as a
// web or mail link.
class TLabel3D : public QWidget {
    Q_OBJECT

public:
    explicit TLabel3D(QWidget* parent = nullptr);

    // What the label shares with a plain text label.
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    // Background; follows the parent's palette until set.
    TColor Color() const;
    void SetColor(TColor value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);
    TTextAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TTextAlignment value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);

    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value);
    Qt::PenStyle BorderPenStyle() const { return FBorderPenStyle; }
    void SetBorderPenStyle(Qt::PenStyle value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    bool Border() const { return FBorder; }
    void SetBorder(bool value);
    TBorderType BorderType() const { return FBorderType; }
    void SetBorderType(TBorderType value);
    // Counter-clockwise degrees, kept in 0..360.
    int Escapement() const { return FEscapement; }
    void SetEscapement(int value);
    TTextStyle TextStyle() const { return FTextStyle; }
    void SetTextStyle(TTextStyle value);
    TLabelStyle LabelStyle() const { return FLabelStyle; }
    void SetLabelStyle(TLabelStyle value) { FLabelStyle = value; }
    QString Address() const { return FAddress; }
    void SetAddress(const QString& value) { FAddress = value; }
    TEllipsesStyle EllipsesStyle() const { return FEllipsesStyle; }
    void SetEllipsesStyle(TEllipsesStyle value);
    int Shift() const { return FShift; }
    void SetShift(int value);

    TColor ShadowColor() const { return FShadowColor; }
    TColor HighlightColor() const { return FHighlightColor; }
    TColor HoverColor() const { return FHoverColor; }

    // How link addresses are opened; the desktop's default handler unless set.
    void SetUrlOpener(std::function<bool(const QUrl&)> opener);

    // Opens the address of a link label, then emits clicked().
    void Click();

signals:
    void clicked();
    void mouseEntered();
    void mouseExited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void DrawLabelText(QPainter& painter, const QRect& rect, int flags);
    void DrawText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                  const QColor& color);
    void DrawRotatedText(QPainter& painter, const QRect& rect, const QString& text, int angle);
    QRect PlaceRotatedText(const QRect& rect, int angle, const QString& text) const;
    void DrawFrameLines(QPainter& painter, const QRect& rect, const QColor& topLeft,
                        const QColor& bottomRight);
    QString ElidedCaption(int maxWidth) const;
    void AdjustBounds();
    bool IsLink() const;

    QString FCaption;
    TColor FFontColor;
    TTextAlignment FAlignment = TTextAlignment::taLeftJustify;
    TTextLayout FLayout = TTextLayout::tlTop;
    bool FWordWrap = false;
    bool FAutoSize = true;
    bool FTransparent = false;
    bool FShowAccelChar = true;

    TColor FBorderColor = clRed;
    Qt::PenStyle FBorderPenStyle = Qt::SolidLine;
    int FBorderWidth = 1;
    bool FBorder = false;
    TBorderType FBorderType = TBorderType::btDefault;
    int FEscapement = 0;
    TTextStyle FTextStyle = TTextStyle::tsRaised;
    TLabelStyle FLabelStyle = TLabelStyle::lsDefault;
    QString FAddress;
    TEllipsesStyle FEllipsesStyle = TEllipsesStyle::esNone;
    int FShift = 1;

    TColor FShadowColor;
    TColor FHighlightColor;
    TColor FHoverColor = clRed;
    TColor FSavedColor = 0;
    bool FPressed = false;
    std::function<bool(const QUrl&)> FUrlOpener;
};

} // namespace zelmaro
