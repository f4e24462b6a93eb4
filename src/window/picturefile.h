#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <QSizeF>

#include <functional>
#include <optional>

class QPainter;
class QWidget;

// Pictures of a window as it is shown, never grabbed from a screen: its
// picture views draw their figures again at the picture's resolution, and
// as vectors into a PDF.

// `widget` drawn into `image` (of its size times `scale`, format RGB32).
void drawWidgetPicture(QWidget &widget, QImage &image, int scale);

// One PDF page `size` points large, titled `title`, drawn by `paint`.
QByteArray pdfPage(QSizeF size, const QString &title, const std::function<void(QPainter &)> &paint);

// `widget` as one PDF page of its size, one point per layout pixel.
QByteArray drawWidgetPdf(QWidget &widget, const QString &title);

// Writes `widget` as PNG at `scale`, or as PDF when the name ends in .pdf;
// on failure returns the reason.
std::optional<QString> writeWidgetPicture(QWidget &widget, const QString &fileName, int scale,
                                          const QString &title);

// Asks for the name of a picture, PNG or PDF, starting at `suggestedName`;
// nothing on cancel. A name without either ending takes the chosen type's.
std::optional<QString> choosePictureName(QWidget *parent, const QString &suggestedName);

// Twice the window's size, or the screen's pixel ratio when larger.
int pictureScaleOf(const QWidget &widget);
