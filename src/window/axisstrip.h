#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <vector>

// The marks and labels of one axis of a picture view, beside it (a value
// axis on its left) or under it (a time axis). Drawn by paintEvent alone, so
// that a picture of the window draws its text at the picture's resolution,
// and as text into a PDF.
class AxisStrip : public QWidget {
    Q_OBJECT

public:
    enum Side { Left, Bottom };

    struct Mark {
        double at = 0;    // layout pixels along the strip: y on the left, x under
        QString label;
        QString second;   // a second line under the label (a date), or empty
        QColor colour = Qt::black;
    };

    AxisStrip(Side side, const QString &title, QWidget *parent = nullptr);

    void setTitle(const QString &title);
    void setMarks(std::vector<Mark> marks);
    const std::vector<Mark> &marks() const { return marks_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Side side_;
    QString title_;
    std::vector<Mark> marks_;
};
