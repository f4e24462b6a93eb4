#pragma once

#include "views/geometry.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

#include <vector>

// A picture view: what is drawn goes into a backing image that keeps it, and
// painting only copies that image, so nothing is redrawn on expose.
// Coordinates are twips (15 per pixel, y downwards) until setScale gives the
// view a scale of its own. A user coordinate maps onto pixel column
// floor((x - left) / width * pixels), so x = left + width lies just past the
// right edge.
class PictureView : public QWidget {
    Q_OBJECT

public:
    enum DrawMode { XorPen = 7, CopyPen = 13 };

    static constexpr double twipsPerPixel = 15;

    explicit PictureView(QWidget *parent = nullptr);

    // Erases all drawing to the background colour.
    void cls();

    // left, top: user coordinates of the top-left corner; width, height: the
    // extent of the view (a negative height makes y grow upwards).
    void setScale(double left, double top, double width, double height);
    void setDrawMode(DrawMode mode) { drawMode = mode; }
    DrawMode currentDrawMode() const { return drawMode; }

    // The view's outer size in twips, whatever its scale.
    double widthTwips() const { return width() * twipsPerPixel; }
    double heightTwips() const { return height() * twipsPerPixel; }

    void line(PlotSegment segment, QColor colour);
    void lines(const std::vector<PlotSegment> &segments, QColor colour);
    // Joins points[0..count-1] in one call.
    void polyline(const PlotPoint *points, size_t count, QColor colour);
    // A filled box between two corners, both edges included.
    void box(PlotRect rect, QColor colour);

    const QImage &image() const { return backing; }
    QColor background() const;

signals:
    // Positions in the view's user coordinates. mouseUp carries the button
    // that was released.
    void mouseDown(Qt::MouseButtons buttons, QPointF pos);
    void mouseMove(Qt::MouseButtons buttons, QPointF pos);
    void mouseUp(Qt::MouseButton button, QPointF pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct Scale {
        double left = 0, top = 0, width = 0, height = 0;
    };

    void fitBacking();
    Scale currentScale() const;
    QPoint toPixel(double x, double y) const;
    QPointF toUser(QPointF pixel) const;
    void preparePainter(QPainter &painter, QColor colour) const;

    QImage backing;
    DrawMode drawMode = CopyPen;
    bool customScale = false;
    Scale scale;
};
