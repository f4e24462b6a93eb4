#include "window/pictureview.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Coordinates far outside the view (a silent record's level) are held here,
// well past any edge, so the conversion to int cannot overflow.
constexpr double pixelLimit = 1 << 20;

int pixelOf(double value)
{
    if (std::isnan(value))
        return static_cast<int>(pixelLimit);
    return static_cast<int>(std::floor(std::clamp(value, -pixelLimit, pixelLimit)));
}

bool samePoints(const std::vector<PlotPoint> &a, const std::vector<PlotPoint> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](PlotPoint p, PlotPoint q) {
        return p.x == q.x && p.y == q.y;
    });
}

} // namespace

PictureView::PictureView(QWidget *parent) : QWidget(parent), ratio(devicePixelRatioF())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

// The background of edit fields and views, also while the view is disabled.
QColor PictureView::background() const
{
    return palette().color(QPalette::Active, QPalette::Base);
}

QSize PictureView::pixelSize() const
{
    return {static_cast<int>(std::ceil(width() * ratio)), static_cast<int>(std::ceil(height() * ratio))};
}

// A hidden view gets no resize event, so each drawing call sizes the image.
// A new size or ratio draws the kept figures again.
void PictureView::fitBacking()
{
    if (backing.size() == pixelSize())
        return;
    backing = QImage(pixelSize(), QImage::Format_RGB32);
    backing.fill(background());
    QPainter painter(&backing);
    for (const Figure &figure : figures)
        drawPixels(painter, figure);
}

void PictureView::setPixelRatio(qreal deviceRatio)
{
    if (!(deviceRatio > 0) || deviceRatio == ratio)
        return;
    ratio = deviceRatio;
    fitBacking();
    update();
}

void PictureView::cls()
{
    figures.clear();
    fitBacking();
    backing.fill(background());
    update();
}

void PictureView::setScale(double left, double top, double width, double height)
{
    scale = {left, top, width, height};
    customScale = true;
}

PictureView::Scale PictureView::currentScale() const
{
    if (customScale)
        return scale;
    return {0, 0, widthTwips(), heightTwips()};
}

QPoint PictureView::toPixel(const Scale &s, double x, double y) const
{
    return {pixelOf((x - s.left) / s.width * backing.width()),
            pixelOf((y - s.top) / s.height * backing.height())};
}

QPointF PictureView::toUser(QPointF pixel) const
{
    const Scale s = currentScale();
    return {s.left + pixel.x() / width() * s.width, s.top + pixel.y() / height() * s.height};
}

// Drawing a figure in exclusive-or a second time removes it: the two are
// dropped from the kept figures when nothing but exclusive-or figures came
// after the first, since they then cancel whatever the order.
void PictureView::draw(Figure figure)
{
    fitBacking();
    {
        QPainter painter(&backing);
        drawPixels(painter, figure);
    }
    update();
    if (figure.exclusiveOr) {
        for (auto it = figures.end(); it != figures.begin() && std::prev(it)->exclusiveOr; --it) {
            const Figure &kept = *std::prev(it);
            if (kept.kind == figure.kind && kept.colour == figure.colour &&
                kept.scale.left == figure.scale.left && kept.scale.top == figure.scale.top &&
                kept.scale.width == figure.scale.width && kept.scale.height == figure.scale.height &&
                kept.rect.left == figure.rect.left && kept.rect.top == figure.rect.top &&
                kept.rect.right == figure.rect.right && kept.rect.bottom == figure.rect.bottom &&
                samePoints(kept.points, figure.points)) {
                figures.erase(std::prev(it));
                return;
            }
        }
    }
    figures.push_back(std::move(figure));
}

void PictureView::drawPixels(QPainter &painter, const Figure &figure) const
{
    // Antialiasing would spread a line over two rows and break the
    // exclusive-or's exact undo.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(figure.exclusiveOr ? QPainter::RasterOp_SourceXorDestination
                                                  : QPainter::CompositionMode_SourceOver);
    const QColor colour = QColor::fromRgb(figure.colour);
    painter.setPen(QPen(colour, 0));
    const Scale &s = figure.scale;
    const std::vector<PlotPoint> &p = figure.points;
    switch (figure.kind) {
    case Figure::Lines:
        for (size_t i = 0; i + 1 < p.size(); i += 2)
            painter.drawLine(toPixel(s, p[i].x, p[i].y), toPixel(s, p[i + 1].x, p[i + 1].y));
        break;
    case Figure::Polyline: {
        std::vector<QPoint> pixels;
        pixels.reserve(p.size());
        for (const PlotPoint &point : p)
            pixels.push_back(toPixel(s, point.x, point.y));
        painter.drawPolyline(pixels.data(), static_cast<int>(pixels.size()));
        break;
    }
    case Figure::Box: {
        const QPoint a = toPixel(s, figure.rect.left, figure.rect.top);
        const QPoint b = toPixel(s, figure.rect.right, figure.rect.bottom);
        // Built from min and max: QRect::normalized() would drop a column and
        // a row. fillRect, unlike drawRect, touches each pixel once.
        painter.fillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                               QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                         colour);
        break;
    }
    }
}

void PictureView::line(PlotSegment segment, QColor colour)
{
    lines({segment}, colour);
}

void PictureView::lines(const std::vector<PlotSegment> &segments, QColor colour)
{
    Figure figure{Figure::Lines, drawMode == XorPen, colour.rgb(), currentScale(), {}, {}};
    figure.points.reserve(segments.size() * 2);
    for (const PlotSegment &s : segments) {
        figure.points.push_back({s.x1, s.y1});
        figure.points.push_back({s.x2, s.y2});
    }
    draw(std::move(figure));
}

void PictureView::polyline(const PlotPoint *points, size_t count, QColor colour)
{
    if (count < 2)
        return;
    draw({Figure::Polyline, drawMode == XorPen, colour.rgb(), currentScale(),
          std::vector<PlotPoint>(points, points + count), {}});
}

void PictureView::box(PlotRect rect, QColor colour)
{
    draw({Figure::Box, drawMode == XorPen, colour.rgb(), currentScale(), {}, rect});
}

// On a screen, or into an image, the backing is drawn at the device's pixel
// ratio and copied pixel for pixel; into a PDF the figures become vectors.
void PictureView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect r = event->rect();
    if (painter.paintEngine()->type() != QPaintEngine::Raster) {
        painter.setClipRect(rect());
        drawVectors(painter, figures.size(), 0);
        return;
    }
    setPixelRatio(painter.paintEngine()->paintDevice()->devicePixelRatio());
    fitBacking();
    if (ratio == 1) {
        painter.drawImage(r, backing, r);
        return;
    }
    painter.drawImage(QRectF(r), backing,
                      QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
}

void PictureView::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown(event->buttons(), toUser(event->position()));
}

void PictureView::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(event->buttons(), toUser(event->position()));
}

void PictureView::mouseReleaseEvent(QMouseEvent *event)
{
    // buttons() no longer holds the released button.
    emit mouseUp(event->button(), toUser(event->position()));
}
