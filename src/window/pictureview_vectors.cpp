// The views' figures as vectors, for a PDF.
#include "window/pictureview.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace {

constexpr double layoutLimit = 1 << 20;

double layoutOf(double value)
{
    return std::isnan(value) ? layoutLimit : std::clamp(value, -layoutLimit, layoutLimit);
}

// As wide as one pixel of a picture at twice the window's size.
constexpr qreal penWidth = 0.5;

QPen pen(QRgb colour)
{
    return QPen(QColor::fromRgb(colour), penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

} // namespace

QPointF PictureView::toLayout(const Scale &s, double x, double y) const
{
    return {layoutOf((x - s.left) / s.width * width()), layoutOf((y - s.top) / s.height * height())};
}

// Lines and polylines as open paths; a box as its area, half a line wider
// on each side, since both its edges belong to it.
QPainterPath PictureView::vectorPath(const Figure &figure) const
{
    QPainterPath path;
    const Scale &s = figure.scale;
    const std::vector<PlotPoint> &p = figure.points;
    switch (figure.kind) {
    case Figure::Lines:
        for (size_t i = 0; i + 1 < p.size(); i += 2) {
            path.moveTo(toLayout(s, p[i].x, p[i].y));
            path.lineTo(toLayout(s, p[i + 1].x, p[i + 1].y));
        }
        break;
    case Figure::Polyline:
        path.moveTo(toLayout(s, p.front().x, p.front().y));
        for (size_t i = 1; i < p.size(); ++i)
            path.lineTo(toLayout(s, p[i].x, p[i].y));
        break;
    case Figure::Box: {
        const QPointF a = toLayout(s, figure.rect.left, figure.rect.top);
        const QPointF b = toLayout(s, figure.rect.right, figure.rect.bottom);
        const qreal half = penWidth / 2;
        path.addRect(QRectF(QPointF(std::min(a.x(), b.x()) - half, std::min(a.y(), b.y()) - half),
                            QPointF(std::max(a.x(), b.x()) + half, std::max(a.y(), b.y()) + half)));
        break;
    }
    }
    return path;
}

// PDF has no exclusive-or. Inside the area of an exclusive-or figure
// everything drawn before it is drawn again with its colours exclusive-ored
// with the figure's colour, which gives the pixels' colours exactly. Figures
// [0, count) are drawn with `mask` exclusive-ored into every colour.
void PictureView::drawVectors(QPainter &painter, size_t count, QRgb mask) const
{
    painter.fillRect(rect(), QColor::fromRgb(background().rgb() ^ mask));
    for (size_t i = 0; i < count; ++i) {
        const Figure &figure = figures[i];
        const QPainterPath path = vectorPath(figure);
        const QRgb colour = (figure.colour ^ mask) & 0xffffff;
        if (!figure.exclusiveOr) {
            if (figure.kind == Figure::Box)
                painter.fillPath(path, QColor::fromRgb(colour));
            else
                painter.strokePath(path, pen(colour));
            continue;
        }
        QPainterPathStroker stroker(pen(0));
        painter.save();
        painter.setClipPath(figure.kind == Figure::Box ? path : stroker.createStroke(path),
                            Qt::IntersectClip);
        drawVectors(painter, i, (mask ^ figure.colour) & 0xffffff);
        painter.restore();
    }
}
