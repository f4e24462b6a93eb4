#include "window/picturefile.h"

#include "window/pictureview.h"

#include <QBuffer>
#include <QFileDialog>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace {

const QString pngFilter = QStringLiteral("PNG image (*.png)");
const QString pdfFilter = QStringLiteral("PDF document (*.pdf)");

bool isPdfName(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

} // namespace

// The views draw their figures again at the image's pixel ratio while it is
// rendered, and at their own afterwards.
void drawWidgetPicture(QWidget &widget, QImage &image, int scale)
{
    image.setDevicePixelRatio(scale);
    image.fill(widget.palette().color(QPalette::Window));
    const QList<PictureView *> views = widget.findChildren<PictureView *>();
    QList<qreal> ratios;
    for (const PictureView *view : views)
        ratios << view->pixelRatio();
    {
        QPainter painter(&image);
        widget.render(&painter);
    }
    for (qsizetype i = 0; i < views.size(); ++i)
        views[i]->setPixelRatio(ratios[i]);
    image.setDevicePixelRatio(1);
}

QByteArray pdfPage(QSizeF size, const QString &title, const std::function<void(QPainter &)> &paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Sismavue"));
        writer.setTitle(title);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                         QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        paint(painter);
    }
    return buffer.data();
}

// Page sizes are whole points.
QByteArray drawWidgetPdf(QWidget &widget, const QString &title)
{
    return pdfPage(QSizeF(widget.size()), title, [&widget](QPainter &painter) { widget.render(&painter); });
}

std::optional<QString> writeWidgetPicture(QWidget &widget, const QString &fileName, int scale,
                                          const QString &title)
{
    QSaveFile file(fileName);
    const auto failed = [&](const QString &reason) {
        return QStringLiteral("Cannot save the picture as %1: %2").arg(fileName, reason);
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    if (isPdfName(fileName)) {
        const QByteArray pdf = drawWidgetPdf(widget, title);
        if (file.write(pdf) != pdf.size())
            return failed(file.errorString());
    } else {
        QImage image(widget.size() * scale, QImage::Format_RGB32);
        drawWidgetPicture(widget, image, scale);
        QImageWriter writer(&file, "png");
        if (!writer.write(image))
            return failed(writer.errorString());
    }
    if (!file.commit())
        return failed(file.errorString());
    return std::nullopt;
}

std::optional<QString> choosePictureName(QWidget *parent, const QString &suggestedName)
{
    QString filter = isPdfName(suggestedName) ? pdfFilter : pngFilter;
    QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("Save Picture"), suggestedName,
                                                pngFilter + QStringLiteral(";;") + pdfFilter, &filter);
    if (name.isEmpty())
        return std::nullopt;
    if (!isPdfName(name) && !name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        name += filter == pdfFilter ? QStringLiteral(".pdf") : QStringLiteral(".png");
    return name;
}

int pictureScaleOf(const QWidget &widget)
{
    return std::max(2, static_cast<int>(std::ceil(widget.devicePixelRatioF())));
}
