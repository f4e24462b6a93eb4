#include "window/pictureview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

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

} // namespace

PictureView::PictureView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

// The background of edit fields and views, also while the view is disabled.
QColor PictureView::background() const
{
    return palette().color(QPalette::Active, QPalette::Base);
}

// A hidden view gets no resize event, so each drawing call sizes the image.
void PictureView::fitBacking()
{
    if (backing.size() == size())
        return;
    QImage fresh(size(), QImage::Format_RGB32);
    fresh.fill(background());
    QPainter(&fresh).drawImage(0, 0, backing);
    backing = fresh;
}

void PictureView::cls()
{
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

QPoint PictureView::toPixel(double x, double y) const
{
    const Scale s = currentScale();
    return {pixelOf((x - s.left) / s.width * width()), pixelOf((y - s.top) / s.height * height())};
}

QPointF PictureView::toUser(QPointF pixel) const
{
    const Scale s = currentScale();
    return {s.left + pixel.x() / width() * s.width, s.top + pixel.y() / height() * s.height};
}

void PictureView::preparePainter(QPainter &painter, QColor colour) const
{
    // Antialiasing would spread a line over two rows and break the
    // exclusive-or's exact undo.
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (drawMode == XorPen)
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(colour, 0));
}

void PictureView::line(PlotSegment segment, QColor colour)
{
    lines({segment}, colour);
}

void PictureView::lines(const std::vector<PlotSegment> &segments, QColor colour)
{
    fitBacking();
    QPainter painter(&backing);
    preparePainter(painter, colour);
    for (const PlotSegment &s : segments)
        painter.drawLine(toPixel(s.x1, s.y1), toPixel(s.x2, s.y2));
    update();
}

void PictureView::polyline(const PlotPoint *points, size_t count, QColor colour)
{
    if (count < 2)
        return;
    fitBacking();
    std::vector<QPoint> pixels;
    pixels.reserve(count);
    for (size_t i = 0; i < count; ++i)
        pixels.push_back(toPixel(points[i].x, points[i].y));
    QPainter painter(&backing);
    preparePainter(painter, colour);
    painter.drawPolyline(pixels.data(), static_cast<int>(pixels.size()));
    update();
}

void PictureView::box(PlotRect rect, QColor colour)
{
    fitBacking();
    const QPoint a = toPixel(rect.left, rect.top);
    const QPoint b = toPixel(rect.right, rect.bottom);
    // Built from min and max: QRect::normalized() would drop a column and a
    // row. fillRect, unlike drawRect, touches each pixel once.
    const QRect pixels(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                       QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    QPainter painter(&backing);
    preparePainter(painter, colour);
    painter.fillRect(pixels, colour);
    update();
}

void PictureView::paintEvent(QPaintEvent *event)
{
    fitBacking();
    QPainter(this).drawImage(event->rect(), backing, event->rect());
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
