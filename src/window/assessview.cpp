#include "window/assessview.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>

AssessView::AssessView(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void AssessView::setPaint(Paint p)
{
    paint = std::move(p);
    keptCurrent = false;
    update();
}

void AssessView::setStale(bool s)
{
    if (s == stale)
        return;
    stale = s;
    keptCurrent = false;
    update();
}

void AssessView::paintFigures(QPainter &painter) const
{
    const QRectF area(QPointF(0, 0), QSizeF(size()));
    painter.fillRect(area, Qt::white);
    if (paint) {
        painter.save();
        painter.setFont(font());
        paint(painter, area);
        painter.restore();
    }
    if (stale)
        painter.fillRect(area, QColor(255, 255, 255, 170));
}

void AssessView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (painter.paintEngine()->type() != QPaintEngine::Raster) {
        paintFigures(painter);
        return;
    }
    const qreal ratio = painter.paintEngine()->paintDevice()->devicePixelRatio();
    const QSize pixels = size() * ratio;
    if (!keptCurrent || kept.size() != pixels || kept.devicePixelRatio() != ratio) {
        kept = QImage(pixels, QImage::Format_RGB32);
        kept.setDevicePixelRatio(ratio);
        QPainter into(&kept);
        paintFigures(into);
        keptCurrent = true;
    }
    painter.drawImage(event->rect(), kept, QRectF(QPointF(event->rect().topLeft()) * ratio,
                                                  QSizeF(event->rect().size()) * ratio));
}

void AssessView::mouseMoveEvent(QMouseEvent *event)
{
    emit hovered(event->position(), true);
}

void AssessView::leaveEvent(QEvent *)
{
    emit hovered({}, false);
}
