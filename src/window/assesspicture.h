#pragma once

// The assessment pictures, drawn onto any painter: a widget, a QImage (a
// PNG at a pixel ratio) or a QPdfWriter page (vectors). Each draws inside
// the rectangle it is given, in the painter's font; sizes follow the font,
// so a picture of a 12-pixel font fits about 1000 x 1000 units. Waveforms
// and KB_F are drawn as one min/max extent per device column (a 300 dpi
// column on a PDF or a printer), so a long record costs no more to draw
// than a short one. Numbers take `separator` as the decimal separator (the
// window gives the locale's, the report ".").

#include "views/assesschart.h"
#include "views/assessevent.h"
#include "views/plotframe.h"

#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRectF>

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

// A sans-serif font of 12 pixels: a picture that looks alike wherever it is
// made. One unit is a pixel of a picture at ratio 1, a point of a PDF page.
QFont assessPictureFont();

// The font's line height and digit width.
FontUnits fontUnits(const QFontMetricsF &metrics);

// Device columns per painter unit: device pixels on a screen or image,
// 300 per inch on a PDF or a printer.
double columnsPerUnit(const QPainter &painter);

// The whole picture of an event, on white: a title line (station, channels,
// start time, standard and options), the verdict in large type, the
// waveform strips, then the DIN 4150-3 chart or the DIN 4150-2 KB_F traces,
// and the note that this is a screening assessment by software.
void paintAssessPicture(QPainter &painter, const QRectF &rect, const AssessEvent &event,
                        std::string_view separator);

// Its parts, each alone in a rectangle (a widget of the window):
// the band-limited velocity, one strip per component, shared time axis;
void paintWaveStrips(QPainter &painter, const QRectF &rect, const AssessEvent &event,
                     std::string_view separator);
// KB_F per component with the lines A_u and A_o of the area and period;
void paintPeopleTraces(QPainter &painter, const QRectF &rect, const AssessEvent &event,
                       std::string_view separator);
// the DIN 4150-3 chart, of one event's components (structureChart) or of
// many events' governing points (governingPoint);
void paintStructureChart(QPainter &painter, const QRectF &rect, const StructureChart &chart,
                         std::string_view separator);
// each event's governing peak over the monitoring period (timelineEvent).
void paintTimeline(QPainter &painter, const QRectF &rect, std::span<const TimelineEvent> events,
                   std::string_view separator);

// The chart's point under `at` (within a marker's size), its index in
// chart.points, for a chart painted in `rect` with a font of `metrics`.
std::optional<std::size_t> structureChartPointAt(const QRectF &rect, const QFontMetricsF &metrics,
                                                 const StructureChart &chart, QPointF at,
                                                 std::string_view separator);

// The picture of an event at `size` units in assessPictureFont, `ratio`
// device pixels per unit, Format_RGB32.
inline constexpr QSize assessPictureSize{1000, 1000};
QImage assessPictureImage(const AssessEvent &event, QSize size, qreal ratio, std::string_view separator);

// The page of a PDF picture: A4 upright, in points.
inline constexpr QSizeF assessPdfPage{595, 842};

// The picture as a one-page PDF of `size` points, as vectors; `title` goes
// into the document's information.
QByteArray assessPicturePdf(const AssessEvent &event, QSizeF size, const QString &title,
                            std::string_view separator);
