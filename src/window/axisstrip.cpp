#include "window/axisstrip.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int tickLength = 4;

} // namespace

AxisStrip::AxisStrip(Side side, const QString &title, QWidget *parent)
    : QWidget(parent), side_(side), title_(title)
{
    const QFontMetrics metrics(font());
    if (side == Left)
        setFixedWidth(metrics.horizontalAdvance(QStringLiteral("-00000.0")) + 2 * metrics.height() + tickLength);
    else
        setFixedHeight(3 * metrics.height() + tickLength);
}

void AxisStrip::setTitle(const QString &title)
{
    title_ = title;
    update();
}

void AxisStrip::setMarks(std::vector<Mark> marks)
{
    marks_ = std::move(marks);
    update();
}

void AxisStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int line = metrics.height();
    for (const Mark &mark : marks_) {
        painter.setPen(mark.colour);
        if (side_ == Left) {
            // Labels at the ends are moved in, so that they show whole.
            const int y = qRound(mark.at);
            painter.drawLine(width() - tickLength, y, width() - 1, y);
            const int top = std::clamp(y - line / 2, 0, std::max(0, height() - line));
            painter.drawText(QRect(line, top, width() - line - tickLength - 2, line),
                             Qt::AlignRight | Qt::AlignVCenter, mark.label);
        } else {
            const int x = qRound(mark.at);
            painter.drawLine(x, 0, x, tickLength - 1);
            int row = tickLength;
            for (const QString &text : {mark.label, mark.second}) {
                const int wide = metrics.horizontalAdvance(text);
                const int left = std::clamp(x - wide / 2, 0, std::max(0, width() - wide));
                painter.drawText(QRect(left, row, wide, line), Qt::AlignCenter, text);
                row += line;
            }
        }
    }
    painter.setPen(palette().color(QPalette::WindowText));
    if (side_ == Left) {
        // The unit, turned to read upwards, along the strip's left edge.
        painter.save();
        painter.translate(0, height() / 2);
        painter.rotate(-90);
        painter.drawText(QRect(-height() / 2, 0, height(), line), Qt::AlignCenter, title_);
        painter.restore();
    } else {
        painter.drawText(QRect(0, tickLength + 2 * line, width(), line), Qt::AlignRight | Qt::AlignVCenter, title_);
    }
}
