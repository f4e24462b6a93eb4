// Pictures of the window: "Save Picture...", and the images that
// sismavue-report --plot writes.
#include "window/mainwindow.h"

#include "analysis/loadrecord.h"
#include "spectrum/segmentspectrum.h"
#include "views/selection.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QMenu>
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

int MainWindow::pictureScale() const
{
    return std::max(2, static_cast<int>(std::ceil(devicePixelRatioF())));
}

std::optional<QString> MainWindow::choosePictureFileByDialog(const QString &suggestedName)
{
    QString filter = isPdfName(suggestedName) ? pdfFilter : pngFilter;
    QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Picture"), suggestedName,
                                                pngFilter + QStringLiteral(";;") + pdfFilter, &filter);
    if (name.isEmpty())
        return std::nullopt;
    // A name without either ending takes the one of the chosen type.
    if (!isPdfName(name) && !name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        name += filter == pdfFilter ? QStringLiteral(".pdf") : QStringLiteral(".png");
    return name;
}

// Not while a load or a spectrum computation runs: the views are half drawn.
void MainWindow::savepicture()
{
    if (busy)
        return;
    // Named as sismavue-report --plot names it: a channel of a file of
    // several after the file's name.
    QString suggested = Label2->text().isEmpty() ? QStringLiteral("sismavue") : Label2->text();
    if (!loadedChannel.empty())
        suggested += QLatin1Char('.') + QString::fromStdString(loadedChannel);
    suggested += QStringLiteral(".png");
    const std::optional<QString> chosen = choosePictureFile(suggested);
    if (!chosen)
        return;
    if (const std::optional<QString> failure = writepicture(*chosen, pictureScale()))
        showMessage(*failure);
}

// The views draw their figures again at the image's pixel ratio while it is
// rendered, and at their own afterwards.
QImage MainWindow::drawpicture(int scale)
{
    QImage image(size() * scale, QImage::Format_RGB32);
    drawpicture(image, scale);
    return image;
}

void MainWindow::drawpicture(QImage &image, int scale)
{
    image.setDevicePixelRatio(scale);
    image.fill(palette().color(QPalette::Window));
    const qreal ratios[] = {Picture1->pixelRatio(), Picture2->pixelRatio(), Picture3->pixelRatio()};
    {
        QPainter painter(&image);
        render(&painter);
    }
    Picture1->setPixelRatio(ratios[0]);
    Picture2->setPixelRatio(ratios[1]);
    Picture3->setPixelRatio(ratios[2]);
    image.setDevicePixelRatio(1);
}

// One page the size of the window, one point per layout pixel (page sizes
// are whole points).
QByteArray MainWindow::drawpdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Sismavue"));
        writer.setTitle(QFileInfo(Label2->text()).fileName());
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(
            QPageSize(QSizeF(size()), QPageSize::Point, QString(), QPageSize::ExactMatch),
            QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        render(&painter);
    }
    return buffer.data();
}

std::optional<QString> MainWindow::writepicture(const QString &fileName, int scale)
{
    QSaveFile file(fileName);
    const auto failed = [&](const QString &reason) {
        return QStringLiteral("Cannot save the picture as %1: %2").arg(fileName, reason);
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    if (isPdfName(fileName)) {
        const QByteArray pdf = drawpdf();
        if (file.write(pdf) != pdf.size())
            return failed(file.errorString());
    } else {
        QImageWriter writer(&file, "png");
        if (!writer.write(drawpicture(scale)))
            return failed(writer.errorString());
    }
    if (!file.commit())
        return failed(file.errorString());
    return std::nullopt;
}

// The state a load, a drag and "OK" leave, reached by the same procedures:
// the kept segment is drawn and measured by the load as a drag would have.
void MainWindow::plotrecord(const QString &fileName, AnalysedRecord &&record,
                            const SegmentBounds &segment, const SegmentSpectrum &spectrum)
{
    Label2->setText(fileName);
    loadedFile = fileName;
    state.startSample = segment.start;
    state.endSample = segment.end;
    state.hasSegment = segment.hasSegment;
    takeRecord(std::move(record));
    Picture1->setEnabled(true);
    // "OK" does nothing without samples.
    if (state.sampleCount == 0)
        return;
    Picture2->cls();
    state.cursorShown = false;
    drawspectrum(spectrum);
    spectrumReady();
}

// Right click on any of the three views, the disabled ones included (their
// mouse events come to the window).
void MainWindow::contextMenuEvent(QContextMenuEvent *event)
{
    QWidget *under = childAt(event->pos());
    if (under != Picture1 && under != Picture2 && under != Picture3) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(savePictureAction);
    menu.exec(event->globalPos());
}
