#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QPainter;

// A view of the assessment window: what its paint function draws in the
// view's rectangle. On the screen that is kept in an image at the screen's
// pixel ratio, drawn again when the figures or the size change and copied
// on expose; onto another device (a picture at another ratio, a PDF page)
// it is drawn afresh, as vectors into a PDF. While the figures are not
// current a veil lies over them.
class AssessView : public QWidget {
    Q_OBJECT

public:
    using Paint = std::function<void(QPainter &painter, const QRectF &rect)>;

    explicit AssessView(QWidget *parent = nullptr);

    // Draws with `paint` from now on; none leaves the view blank.
    void setPaint(Paint paint);
    void setStale(bool stale);
    bool isStale() const { return stale; }

    // The image kept for the screen, in device pixels (null before the
    // view was first painted).
    const QImage &image() const { return kept; }

signals:
    // The pointer moved over the view, or left it (`inside` false).
    void hovered(QPointF at, bool inside);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void paintFigures(QPainter &painter) const;

    Paint paint;
    QImage kept;
    bool keptCurrent = false;
    bool stale = false;
};
