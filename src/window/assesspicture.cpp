#include "window/assesspicture.h"

#include "views/assessstrips.h"
#include "views/assesstext.h"
#include "window/picturefile.h"
#include "window/plotpainting.h"

#include <QPaintEngine>

#include <cmath>

namespace {

constexpr double printDotsPerInch = 300;

// The painter's font at `size` pixels, or smaller down to `smallest` where
// `text` would be wider than `room`.
void fitFont(QPainter &painter, const QString &text, qreal room, qreal size, qreal smallest)
{
    QFont font = painter.font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    const qreal width = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
    if (width > room)
        font.setPixelSize(std::max(1, static_cast<int>(std::max(smallest, size * room / width))));
    painter.setFont(font);
}

// One line of text in `box`, in a font made to fit down to `smallest`
// times `scale`, and cut short where even that does not fit.
void paintLine(QPainter &painter, const PlotRect &box, const QString &text, qreal scale, qreal smallest)
{
    const QRectF rect = qRect(box);
    const int size = QFontInfo(painter.font()).pixelSize();
    painter.save();
    fitFont(painter, text, rect.width(), scale * size, smallest * size);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, rect.width()));
    painter.restore();
}

void paintVerdict(QPainter &painter, const PlotRect &area, const AssessEvent &event, std::string_view sep)
{
    const QString text = qText(verdictSentence(event, sep));
    const int size = QFontInfo(painter.font()).pixelSize();
    painter.save();
    QFont large = painter.font();
    large.setBold(true);
    painter.setFont(large);
    fitFont(painter, text, area.right - area.left - 2 * size, 1.5 * size, size);
    const qreal line = painter.fontMetrics().height();
    const QPointF middle(area.left + 0.4 * line, (area.top + area.bottom) / 2);
    paintMarker(painter, middle, event.verdict, 0.6 * line);
    painter.setPen(PictureColours::text);
    paintText(painter, middle + QPointF(0.6 * line, 0),
              painter.fontMetrics().elidedText(text, Qt::ElideRight, area.right - middle.x() - 0.6 * line), false);
    painter.restore();
}

} // namespace

QFont assessPictureFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

FontUnits fontUnits(const QFontMetricsF &metrics)
{
    return {metrics.height(), metrics.horizontalAdvance(QLatin1Char('0'))};
}

double columnsPerUnit(const QPainter &painter)
{
    const QTransform t = painter.deviceTransform();
    double perUnit = std::hypot(t.m11(), t.m12());
    const QPaintEngine *engine = painter.paintEngine();
    if (engine && engine->type() == QPaintEngine::Pdf && painter.device()->logicalDpiX() > 0)
        perUnit *= printDotsPerInch / painter.device()->logicalDpiX();
    return perUnit;
}

void paintAssessPicture(QPainter &painter, const QRectF &rect, const AssessEvent &event,
                        std::string_view separator)
{
    const FontUnits font = fontUnits(painter.fontMetrics());
    const PictureLayout layout = pictureLayout(plotRect(rect), font);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect, Qt::white);
    painter.setPen(PictureColours::text);
    paintLine(painter, layout.title, qText(titleLine(event, separator)), 1, 0.75);
    paintVerdict(painter, layout.verdict, event, separator);
    paintWaveStrips(painter, qRect(layout.strips), event, separator);
    if (event.standard == Standard::Din4150_3)
        paintStructureChart(painter, qRect(layout.lower), structureChart(event), separator);
    else
        paintPeopleTraces(painter, qRect(layout.lower), event, separator);
    painter.setPen(PictureColours::faint);
    paintLine(painter, layout.note, qText(pictureNote(event)), 0.85, 0.65);
    painter.restore();
}

std::optional<std::size_t> structureChartPointAt(const QRectF &rect, const QFontMetricsF &metrics,
                                                 const StructureChart &chart, QPointF at,
                                                 std::string_view separator)
{
    const FontUnits font = fontUnits(metrics);
    const ChartGeometry geometry = chartGeometry(chart, plotRect(rect), font, separator);
    return chartPointAt(geometry, {static_cast<float>(at.x()), static_cast<float>(at.y())}, 0.6 * font.line);
}

QImage assessPictureImage(const AssessEvent &event, QSize size, qreal ratio, std::string_view separator)
{
    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(assessPictureFont());
        paintAssessPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), event, separator);
    }
    return image;
}

QByteArray assessPicturePdf(const AssessEvent &event, QSizeF size, const QString &title,
                            std::string_view separator)
{
    return pdfPage(size, title, [&](QPainter &painter) {
        painter.setFont(assessPictureFont());
        paintAssessPicture(painter, QRectF(QPointF(0, 0), size), event, separator);
    });
}
