#pragma once

#include "session/geometry.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

#include <vector>

// A picture view: what is drawn goes into a backing image that keeps it, and
// painting only copies that image, so nothing is redrawn on expose.
// Coordinates are twips (15 per pixel, y downwards) until setScale gives the
// view a scale of its own. A user coordinate maps onto device pixel column
// floor((x - left) / width * columns), where columns is the view's width
// times its pixel ratio, so x = left + width lies just past the right edge.
//
// The view also keeps the figures drawn since the last clear, so that it can
// draw them again at another pixel ratio (a screen of another density, a
// picture at a larger scale) and as vectors (a PDF).
class QPainterPath;

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

    // The view's outer size in twips, whatever its scale and pixel ratio.
    double widthTwips() const { return width() * twipsPerPixel; }
    double heightTwips() const { return height() * twipsPerPixel; }

    void line(PlotSegment segment, QColor colour);
    void lines(const std::vector<PlotSegment> &segments, QColor colour);
    // Joins points[0..count-1] in one call.
    void polyline(const PlotPoint *points, size_t count, QColor colour);
    // A filled box between two corners, both edges included.
    void box(PlotRect rect, QColor colour);

    // Device pixels per layout pixel of the backing image. It follows the
    // device the view is painted on; setting it draws the kept figures again.
    qreal pixelRatio() const { return ratio; }
    void setPixelRatio(qreal deviceRatio);

    // The backing image, in device pixels.
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
    // One drawing call, in the scale it was made in.
    struct Figure {
        enum Kind { Lines, Polyline, Box } kind = Lines;
        bool exclusiveOr = false;
        QRgb colour = 0;
        Scale scale;
        std::vector<PlotPoint> points;  // Lines: two per segment; Polyline: the vertices
        PlotRect rect;                  // Box
    };

    QSize pixelSize() const;
    void fitBacking();
    Scale currentScale() const;
    QPoint toPixel(const Scale &s, double x, double y) const;
    QPointF toLayout(const Scale &s, double x, double y) const;
    QPointF toUser(QPointF pixel) const;
    void draw(Figure figure);
    void drawPixels(QPainter &painter, const Figure &figure) const;
    void drawVectors(QPainter &painter, size_t count, QRgb mask) const;
    QPainterPath vectorPath(const Figure &figure) const;

    QImage backing;
    qreal ratio = 1;
    std::vector<Figure> figures;  // drawn since the last clear
    DrawMode drawMode = CopyPen;
    bool customScale = false;
    Scale scale;
};
