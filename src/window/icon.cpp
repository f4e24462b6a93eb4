#include "window/icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

// Drawn on a 64-unit grid and scaled to each size.
QPixmap paintIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 52, 72));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    painter.setPen(QPen(QColor(0, 210, 0), 2.5, Qt::DashLine));
    painter.drawLine(QPointF(8, 22), QPointF(56, 22));

    // A burst that grows and dies away, as a passing train shakes a wall.
    QPainterPath trace(QPointF(8, 38));
    for (int i = 1; i <= 96; ++i) {
        const double x = 8 + i * 0.5;
        const double t = i / 96.0;
        const double envelope = std::sin(t * 3.14159265) * std::exp(-2.5 * t) * 2.2;
        trace.lineTo(x, 38 - 18 * envelope * std::sin(i * 0.9));
    }
    painter.setPen(QPen(QColor(255, 255, 255), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trace);
    return pixmap;
}

} // namespace

QIcon sismavueIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(paintIcon(size));
    return icon;
}
