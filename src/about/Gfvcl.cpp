#include "about/Gfvcl.h"

#include "about/Colors.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace zelmaro {

namespace {

int ScreenDepth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->depth() : 32;
}

} // namespace

TGradientFill::TGradientFill(QWidget* parent)
    : QWidget(parent), FDefaultColorCount(DefaultColorCountForDepth(ScreenDepth())),
      FColorCount(FDefaultColorCount)
{
    resize(105, 105);
}

void TGradientFill::SetAutoSize(bool value)
{
    FAutoSize = value;
    update();
}

void TGradientFill::SetBeginColor(TColor value)
{
    FBeginColor = value;
    DrawNow();
    update();
}

void TGradientFill::SetEndColor(TColor value)
{
    FEndColor = value;
    DrawNow();
    update();
}

void TGradientFill::SetFillDirection(TFillDirection value)
{
    if (value == FFillDirection)
        return;
    FFillDirection = value;
    DrawNow();
    update();
}

void TGradientFill::SetNumberOfColors(TNumberOfColors value)
{
    FNumberOfColors = value;
    FColorCount = value != 0 ? value : FDefaultColorCount;
    update();
}

QImage TGradientFill::Draw() const
{
    QImage image(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (const TGradientBand& band :
         GradientBands(width(), height(), ColorToRGB(FBeginColor), ColorToRGB(FEndColor),
                       FFillDirection, FColorCount)) {
        if (band.Right > band.Left && band.Bottom > band.Top)
            painter.fillRect(
                QRect(QPoint(band.Left, band.Top), QPoint(band.Right - 1, band.Bottom - 1)),
                ToQColor(band.Color));
    }
    return image;
}

void TGradientFill::DrawNow()
{
    // Painting outside the paint handler is not possible in Qt: a synchronous
    // repaint is the nearest to drawing at once.
    if (isVisible())
        repaint();
}

void TGradientFill::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Draw());
}

void TGradientFill::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void TGradientFill::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace zelmaro
