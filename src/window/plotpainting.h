#pragma once

// Drawing the assessment pictures' pieces as the core's geometry gives
// them: frames, traces, labels and markers, onto any painter.

#include "assess/options.h"
#include "views/envelope.h"
#include "views/plotframe.h"

#include <QColor>
#include <QPainter>

#include <string>

// Colours that stay apart for every kind of colour vision.
namespace PictureColours {
inline const QColor text{0x20, 0x20, 0x20};
inline const QColor faint{0x70, 0x70, 0x70};
inline const QColor grid{0xe2, 0xe2, 0xe2};
inline const QColor border{0x90, 0x90, 0x90};
inline const QColor trace{0x00, 0x72, 0xb2};
inline const QColor met{0x00, 0x9e, 0x73};
inline const QColor exceeded{0xd5, 0x5e, 0x00};
inline const QColor none{0x80, 0x80, 0x80};
inline const QColor otherLine{0xb8, 0xb8, 0xb8};
inline const QColor vectorSum{0xcc, 0x79, 0xa7};
inline const QColor components[3] = {{0x00, 0x72, 0xb2}, {0xe6, 0x9f, 0x00}, {0xcc, 0x79, 0xa7}};
} // namespace PictureColours

QString qText(const std::string &text);
QPointF qPoint(PlotPoint point);
QRectF qRect(const PlotRect &rect);
PlotRect plotRect(const QRectF &rect);

// A line's width in painter units: `width` times lineUnit.
qreal lineWidth(const FontUnits &font, qreal width);

// The frame's grid, border, labels and titles in the painter's font.
void paintFrame(QPainter &painter, const AxisFrame &frame, const FontUnits &font);

// A polyline stroked, or a band filled and outlined, in `colour`.
void paintTrace(QPainter &painter, const TraceShape &trace, const QColor &colour, qreal width);

// Text vertically centred on `at`, ending there when `rightAligned`.
void paintText(QPainter &painter, QPointF at, const QString &text, bool rightAligned);
void paintLabel(QPainter &painter, const PlotLabel &label);

// A verdict's marker: a filled disc (met), a filled diamond (exceeded), a
// ring (no guideline, undetermined), `size` across.
void paintMarker(QPainter &painter, QPointF at, Verdict verdict, qreal size);
QColor verdictColour(Verdict verdict);
