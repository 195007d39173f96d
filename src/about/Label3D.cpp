#include "about/Label3D.h"

#include "about/Colors.h"
#include "about/Label3DMath.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>

namespace zelmaro {

namespace {

const QString kEllipsis = QStringLiteral("...");

QString ElideEnd(const QString& line, int maxWidth,
                 const std::function<int(const QString&)>& measure)
{
    for (qsizetype keep = line.size() - 1; keep > 0; --keep) {
        QString candidate = line.left(keep) + kEllipsis;
        if (measure(candidate) <= maxWidth)
            return candidate;
    }
    return kEllipsis;
}

} // namespace

QString ElideLine(const QString& line, TEllipsesStyle style, int maxWidth,
                  const std::function<int(const QString&)>& measure)
{
    if (style == TEllipsesStyle::esNone || measure(line) <= maxWidth)
        return line;
    if (style == TEllipsesStyle::esPath) {
        qsizetype separator =
            std::max(line.lastIndexOf(QLatin1Char('\\')), line.lastIndexOf(QLatin1Char('/')));
        if (separator >= 0) {
            QString head = line.left(separator);
            QString tail = line.mid(separator);
            for (qsizetype keep = head.size() - 1; keep >= 0; --keep) {
                QString candidate = head.left(keep) + kEllipsis + tail;
                if (measure(candidate) <= maxWidth)
                    return candidate;
            }
            return kEllipsis + tail;
        }
    }
    return ElideEnd(line, maxWidth, measure);
}

TLabel3D::TLabel3D(QWidget* parent)
    : QWidget(parent), FFontColor(clWindowText), FShadowColor(ColorToRGB(clBtnShadow)),
      FHighlightColor(ColorToRGB(clBtnHighlight)),
      FUrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    QFont f = font();
    f.setFamily(QStringLiteral("Arial"));
    setFont(f);
    AdjustBounds();
}

void TLabel3D::SetCaption(const QString& value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    AdjustBounds();
    update();
}

TColor TLabel3D::Color() const
{
    return FromQColor(palette().color(QPalette::Window));
}

void TLabel3D::SetColor(TColor value)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(value));
    setPalette(p);
    update();
}

void TLabel3D::SetFontColor(TColor value)
{
    FFontColor = value;
    update();
}

void TLabel3D::SetAlignment(TTextAlignment value)
{
    FAlignment = value;
    update();
}

void TLabel3D::SetLayout(TTextLayout value)
{
    FLayout = value;
    update();
}

void TLabel3D::SetWordWrap(bool value)
{
    FWordWrap = value;
    AdjustBounds();
    update();
}

void TLabel3D::SetAutoSize(bool value)
{
    FAutoSize = value;
    AdjustBounds();
    update();
}

void TLabel3D::SetTransparent(bool value)
{
    FTransparent = value;
    update();
}

void TLabel3D::SetShowAccelChar(bool value)
{
    FShowAccelChar = value;
    AdjustBounds();
    update();
}

void TLabel3D::SetBorderColor(TColor value)
{
    FBorderColor = value;
    repaint();
}

void TLabel3D::SetBorderPenStyle(Qt::PenStyle value)
{
    FBorderPenStyle = value;
    repaint();
}

void TLabel3D::SetBorderWidth(int value)
{
    FBorderWidth = value;
    repaint();
}

void TLabel3D::SetBorder(bool value)
{
    FBorder = value;
    repaint();
}

void TLabel3D::SetBorderType(TBorderType value)
{
    if (value == FBorderType)
        return;
    FBorderType = value;
    repaint();
}

void TLabel3D::SetEscapement(int value)
{
    FEscapement = NormalizeEscapement(value);
    AdjustBounds();
    update();
}

void TLabel3D::SetTextStyle(TTextStyle value)
{
    if (value == FTextStyle)
        return;
    FTextStyle = value;
    update();
}

void TLabel3D::SetEllipsesStyle(TEllipsesStyle value)
{
    if (value == FEllipsesStyle)
        return;
    FEllipsesStyle = value;
    // A shortened caption only makes sense in a label that keeps its size.
    if (value != TEllipsesStyle::esNone)
        FAutoSize = false;
    update();
}

void TLabel3D::SetShift(int value)
{
    if (value == FShift)
        return;
    FShift = value;
    repaint();
}

void TLabel3D::SetUrlOpener(std::function<bool(const QUrl&)> opener)
{
    FUrlOpener = std::move(opener);
}

bool TLabel3D::IsLink() const
{
    return FLabelStyle == TLabelStyle::lsWWWAddress || FLabelStyle == TLabelStyle::lsEMailAddress;
}

void TLabel3D::Click()
{
    if (IsLink() && !FAddress.isEmpty()) {
        try {
            setCursor(Qt::BusyCursor);
            QCoreApplication::processEvents();
            // "www.example.org" needs a scheme before a desktop handler takes it.
            QUrl url = FLabelStyle == TLabelStyle::lsWWWAddress
                           ? QUrl::fromUserInput(FAddress)
                           : QUrl(QStringLiteral("mailto:") + FAddress);
            if (FUrlOpener)
                FUrlOpener(url);
            setCursor(Qt::PointingHandCursor);
        } catch (...) {
            // A link that cannot be opened is no reason to disturb the user.
        }
    }
    emit clicked();
}

void TLabel3D::enterEvent(QEnterEvent* event)
{
    if (IsLink()) {
        FSavedColor = FFontColor;
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        setCursor(Qt::PointingHandCursor);
        QCoreApplication::processEvents();
        SetFontColor(FHoverColor);
    }
    emit mouseEntered();
    QWidget::enterEvent(event);
}

void TLabel3D::leaveEvent(QEvent* event)
{
    if (IsLink()) {
        unsetCursor();
        QFont f = font();
        f.setUnderline(false);
        setFont(f);
        QCoreApplication::processEvents();
        SetFontColor(FSavedColor);
    }
    emit mouseExited();
    QWidget::leaveEvent(event);
}

void TLabel3D::mousePressEvent(QMouseEvent* event)
{
    FPressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TLabel3D::mouseReleaseEvent(QMouseEvent* event)
{
    bool click = FPressed && event->button() == Qt::LeftButton &&
                 rect().contains(event->position().toPoint());
    FPressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        Click();
}

void TLabel3D::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        AdjustBounds();
    QWidget::changeEvent(event);
}

void TLabel3D::AdjustBounds()
{
    if (!FAutoSize)
        return;
    QFontMetrics metrics(font());
    QSize size;
    if (FEscapement != 0) {
        TRotatedPlacement placement = zelmaro::PlaceRotatedText(
            FEscapement, metrics.horizontalAdvance(FCaption), metrics.height());
        size = QSize(placement.Width, placement.Height);
    } else {
        int flags = Qt::TextExpandTabs;
        if (FWordWrap)
            flags |= Qt::TextWordWrap;
        if (FShowAccelChar)
            flags |= Qt::TextShowMnemonic;
        QString text = FCaption.isEmpty() ? QStringLiteral(" ") : FCaption;
        QRect bounds =
            metrics.boundingRect(QRect(0, 0, FWordWrap ? width() : 0x3FFF, 0x3FFF), flags, text);
        size = QSize(bounds.width(), bounds.height());
    }
    int left = x();
    if (FAlignment == TTextAlignment::taRightJustify && FEscapement == 0)
        left += width() - size.width();
    setGeometry(left, y(), size.width(), size.height());
}

void TLabel3D::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!FTransparent)
        painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setBrush(Qt::NoBrush);

    if (FBorder && FBorderWidth > 0) {
        QPen pen(ToQColor(FBorderColor, palette()), FBorderWidth, FBorderPenStyle);
        const QRect frame(QPoint(0, 0), QPoint(width() - 1, height() - 1));
        switch (FBorderType) {
        case TBorderType::btDefault:
            painter.setPen(pen);
            painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
            break;
        case TBorderType::btRecessed:
            DrawFrameLines(painter, frame, ToQColor(clGray), ToQColor(clWhite));
            break;
        case TBorderType::btRaised:
            DrawFrameLines(painter, frame, ToQColor(clWhite), ToQColor(clGray));
            break;
        }
    }

    int flags = Qt::TextExpandTabs;
    if (FWordWrap)
        flags |= Qt::TextWordWrap;
    switch (FAlignment) {
    case TTextAlignment::taLeftJustify:
        flags |= Qt::AlignLeft;
        break;
    case TTextAlignment::taRightJustify:
        flags |= Qt::AlignRight;
        break;
    case TTextAlignment::taCenter:
        flags |= Qt::AlignHCenter;
        break;
    }
    DrawLabelText(painter, rect(), flags);
}

QString TLabel3D::ElidedCaption(int maxWidth) const
{
    if (FEllipsesStyle == TEllipsesStyle::esNone)
        return FCaption;
    QFontMetrics metrics(font());
    auto measure = [&metrics](const QString& text) { return metrics.horizontalAdvance(text); };
    QStringList lines = FCaption.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = ElideLine(line, FEllipsesStyle, maxWidth, measure);
    return lines.join(QLatin1Char('\n'));
}

void TLabel3D::DrawLabelText(QPainter& painter, const QRect& rect, int flags)
{
    if (FShowAccelChar)
        flags |= Qt::TextShowMnemonic;
    if (FEscapement == 0) {
        if (FLayout == TTextLayout::tlCenter)
            flags |= Qt::TextSingleLine | Qt::AlignVCenter;
        else if (FLayout == TTextLayout::tlBottom)
            flags |= Qt::TextSingleLine | Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    }
    QString text = FEscapement == 0 ? ElidedCaption(rect.width()) : FCaption;
    painter.setFont(font());

    if (FTextStyle != TTextStyle::tsNone) {
        const bool highlightFirst =
            FTextStyle == TTextStyle::tsRecessed || FTextStyle == TTextStyle::tsHeavyRecessed;
        const int offset = FTextStyle == TTextStyle::tsShadow ? FShift : 1;
        DrawText(painter, rect.translated(offset, offset), flags, text,
                 ToQColor(highlightFirst ? FHighlightColor : FShadowColor));
        if (FTextStyle == TTextStyle::tsLightRaised || FTextStyle == TTextStyle::tsHeavyRecessed)
            DrawText(
                painter, rect.translated(-1, -1), flags, text,
                ToQColor(FTextStyle == TTextStyle::tsLightRaised ? FHighlightColor : FShadowColor));
    }
    DrawText(painter, rect, flags, text,
             isEnabled() ? ToQColor(FFontColor, palette()) : ToQColor(clGrayText, palette()));
}

void TLabel3D::DrawText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                        const QColor& color)
{
    painter.setPen(color);
    if (FEscapement != 0)
        DrawRotatedText(painter, rect, text, FEscapement);
    else
        painter.drawText(rect, flags, text);
}

void TLabel3D::DrawRotatedText(QPainter& painter, const QRect& rect, const QString& text, int angle)
{
    QRect placed = PlaceRotatedText(rect, angle, text);
    painter.save();
    painter.translate(placed.topLeft());
    painter.rotate(-angle);
    painter.drawText(QPoint(0, painter.fontMetrics().ascent()), text);
    painter.restore();
}

QRect TLabel3D::PlaceRotatedText(const QRect& rect, int angle, const QString& text) const
{
    QFontMetrics metrics(font());
    TRotatedPlacement placement =
        zelmaro::PlaceRotatedText(angle, metrics.horizontalAdvance(text), metrics.height());
    QRect placed = rect.translated(placement.Dx, placement.Dy);
    if (!FAutoSize) {
        if (FAlignment == TTextAlignment::taCenter)
            placed.translate((width() - placement.Width) / 2, 0);
        else if (FAlignment == TTextAlignment::taRightJustify)
            placed.translate(width() - placement.Width, 0);
    }
    return placed;
}

void TLabel3D::DrawFrameLines(QPainter& painter, const QRect& rect, const QColor& topLeft,
                              const QColor& bottomRight)
{
    // Each line leaves out its end point.
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    painter.setPen(QPen(topLeft, FBorderWidth, FBorderPenStyle));
    if (r > l)
        painter.drawLine(l, t, r - 1, t);
    if (b > t)
        painter.drawLine(l, t, l, b - 1);
    painter.setPen(QPen(bottomRight, FBorderWidth, FBorderPenStyle));
    if (b > t)
        painter.drawLine(r, b, r, t + 1);
    if (r > l)
        painter.drawLine(r, b, l + 1, b);
}

} // namespace zelmaro
