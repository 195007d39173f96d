#include "about/AboutArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace zelmaro {

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kBlueGrey(0x77, 0x77, 0xCC);
const QColor kRelease(0xD0, 0x20, 0x20);

// A lens with six aperture blades, centred on c.
void DrawLens(QPainter& p, QPointF c, double radius)
{
    QRadialGradient glass(c, radius);
    glass.setColorAt(0.0, QColor(0x40, 0x50, 0x90));
    glass.setColorAt(1.0, QColor(0x08, 0x08, 0x30));
    p.setPen(QPen(QColor(0xE0, 0xE0, 0xF0), radius * 0.12));
    p.setBrush(glass);
    p.drawEllipse(c, radius, radius);

    // Blade edges: lines tangent to the central opening.
    const double opening = radius * 0.38;
    p.setPen(QPen(QColor(0xA0, 0xA8, 0xE0), std::max(1.0, radius * 0.06)));
    for (int k = 0; k < 6; ++k) {
        double a = k * std::numbers::pi / 3;
        QPointF tangent(c.x() + opening * std::cos(a), c.y() + opening * std::sin(a));
        QPointF direction(-std::sin(a), std::cos(a));
        double reach = std::sqrt(radius * radius * 0.8 - opening * opening);
        p.drawLine(tangent, tangent + direction * reach);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xFF, 0xFF, 0x90));
    p.drawEllipse(QPointF(c.x() - radius * 0.35, c.y() - radius * 0.35), radius * 0.15,
                  radius * 0.15);
}

void DrawCameraBody(QPainter& p, const QRectF& body)
{
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0.0, kBlueGrey);
    shade.setColorAt(1.0, kNavy);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    const double r = body.height() * 0.18;
    p.drawRoundedRect(body, r, r);
    // Viewfinder hump.
    QRectF hump(body.center().x() - body.width() * 0.18, body.top() - body.height() * 0.22,
                body.width() * 0.36, body.height() * 0.3);
    p.setBrush(kNavy);
    p.drawRoundedRect(hump, r * 0.6, r * 0.6);
}

} // namespace

QPixmap DrawLogo(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    const double h = size.height();
    QRectF body(4, h * 0.3, h * 1.15, h * 0.6);
    DrawCameraBody(p, body);
    // Release button and the signal that the remote sends.
    p.setBrush(kRelease);
    p.drawEllipse(QPointF(body.left() + body.width() * 0.18, body.top() - 2), 3.5, 3.5);
    DrawLens(p, body.center(), body.height() * 0.42);

    QPointF source(body.right() + 6, body.center().y());
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 3; ++k) {
        double radius = 6 + k * 7;
        p.setPen(QPen(k == 0 ? kRelease : kNavy, 2.2, Qt::SolidLine, Qt::RoundCap));
        QRectF arc(source.x() - radius, source.y() - radius, 2 * radius, 2 * radius);
        p.drawArc(arc, -45 * 16, 90 * 16);
    }
    return pixmap;
}

QPixmap DrawIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;

    QRectF body(s * 0.04, s * 0.3, s * 0.8, s * 0.52);
    DrawCameraBody(p, body);
    DrawLens(p, body.center(), body.height() * 0.4);

    // Stopwatch in the lower right corner: the logged exposure time.
    QPointF c(s * 0.74, s * 0.7);
    double r = s * 0.24;
    p.setPen(QPen(kNavy, std::max(1.0, s * 0.05)));
    p.setBrush(Qt::white);
    p.drawEllipse(c, r, r);
    p.setBrush(kRelease);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(c.x() - s * 0.05, c.y() - r - s * 0.09, s * 0.1, s * 0.07));
    p.setPen(QPen(kRelease, std::max(1.0, s * 0.05), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, QPointF(c.x(), c.y() - r * 0.7));
    p.setPen(QPen(kNavy, std::max(1.0, s * 0.04), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, QPointF(c.x() + r * 0.5, c.y() + r * 0.2));
    return pixmap;
}

QIcon ZelmaroIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(DrawIconPixmap(size));
    return icon;
}

} // namespace zelmaro
