// Pictures of the window: "Save Picture...", and the images that
// sismavue-report --plot writes.
#include "window/mainwindow.h"

#include "analysis/loadrecord.h"
#include "spectrum/segmentspectrum.h"
#include "views/selection.h"
#include "window/picturefile.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

int MainWindow::pictureScale() const
{
    return pictureScaleOf(*this);
}

std::optional<QString> MainWindow::choosePictureFileByDialog(const QString &suggestedName)
{
    return choosePictureName(this, suggestedName);
}

// Not while a load or a spectrum computation runs: the views are half drawn.
void MainWindow::savepicture()
{
    if (busy)
        return;
    // Named as sismavue-report --plot names it: a channel of a file of
    // several after the file's name.
    QString suggested = Label2->text().isEmpty() ? QStringLiteral("sismavue") : Label2->text();
    if (!loadedChoice.tag.empty())
        suggested += QLatin1Char('.') + QString::fromStdString(loadedChoice.tag);
    suggested += QStringLiteral(".png");
    const std::optional<QString> chosen = choosePictureFile(suggested);
    if (!chosen)
        return;
    if (const std::optional<QString> failure = writepicture(*chosen, pictureScale()))
        showMessage(*failure);
}

QImage MainWindow::drawpicture(int scale)
{
    QImage image(size() * scale, QImage::Format_RGB32);
    drawpicture(image, scale);
    return image;
}

void MainWindow::drawpicture(QImage &image, int scale)
{
    drawWidgetPicture(*this, image, scale);
}

QByteArray MainWindow::drawpdf()
{
    return drawWidgetPdf(*this, QFileInfo(Label2->text()).fileName());
}

std::optional<QString> MainWindow::writepicture(const QString &fileName, int scale)
{
    return writeWidgetPicture(*this, fileName, scale, QFileInfo(Label2->text()).fileName());
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
    if (under != Picture2)
        menu.addAction(detailAction);
    menu.addAction(assessAction);
    menu.exec(event->globalPos());
}
