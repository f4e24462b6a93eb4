// The segment's spectrum, its plot and the cursor that reads it.
#include "window/mainwindow.h"

#include "session/numbertext.h"
#include "spectrum/segmentspectrum.h"
#include "spectrum/spectrumplot.h"
#include "views/cursor.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QColor cursorColour(0, 255, 255);

void setSpectrumScale(PictureView *view)
{
    view->setScale(0, spectrumViewHeight, spectrumViewWidth, -spectrumViewHeight);
}

} // namespace

// Not started while a load or another computation runs. The cursor controls
// stay off until the new spectrum is drawn, so no cursor lands on a half-made
// plot.
void MainWindow::Command1_Click()
{
    if (busy || state.sampleCount == 0)
        return;
    busy = true;
    Picture1->setEnabled(false);
    Command5->setEnabled(false);
    HScroll1->setEnabled(false);
    computefft();
    spectrumReady();
    busy = false;
}

// The spectrum on display belongs to the selected segment; no cursor yet.
void MainWindow::spectrumReady()
{
    Picture1->setEnabled(true);
    Command5->setEnabled(true);
    HScroll1->setEnabled(true);
    state.cursorShown = false;
    freq->setText(QString());
    value->setText(QString());
}

void MainWindow::computefft()
{
    Picture2->cls();
    setSpectrumScale(Picture2);
    state.cursorShown = false;
    setHourglass(true);
    sinceEvents.invalidate();
    const SegmentSpectrum result =
        segmentSpectrum(state.samples, state.startSample, state.endSample, [this](double done) {
            setProgress(100 * done);
            letEventsRun();
        });
    drawspectrum(result);
    setProgress(0);
    setHourglass(false);
}

// On the cleared spectrum view: the lines, the peak at the top of the scale
// and the frequency of the largest line.
void MainWindow::drawspectrum(const SegmentSpectrum &result)
{
    setSpectrumScale(Picture2);
    state.spectrum = result.lines;
    state.spectrumPeak = result.peak;
    const std::string separator = decimalSeparator();
    Label14->setText(number(format2(static_cast<double>(result.peak) * 1000000, separator)));
    Fmax->setText(number(format2(lineFrequency(result.peakLine, state.sampleRate), separator)));
    Picture2->lines(spectrumSegments(state.spectrum, state.spectrumPeak), Qt::black);
}

void MainWindow::drawCursor(int16_t bin, float lineValue)
{
    Picture2->lines(cursorSegments(bin, lineValue, state.spectrumPeak), cursorColour);
}

// Only while a spectrum of the current segment is shown (the scroll bar is
// enabled exactly then).
void MainWindow::HScroll1_Change()
{
    if (!HScroll1->isEnabled())
        return;
    Picture2->setDrawMode(PictureView::XorPen);
    if (state.cursorShown)
        drawCursor(state.cursorBin, state.cursorValue);
    state.cursorShown = true;
    state.cursorBin = clampCursorBin(HScroll1->value());
    const std::string separator = decimalSeparator();
    freq->setText(number(cursorFrequencyText(state.cursorBin, state.sampleRate, separator)));
    state.cursorValue = state.spectrum[static_cast<size_t>(state.cursorBin)];
    value->setText(number(cursorValueText(state.cursorValue, separator)));
    drawCursor(state.cursorBin, state.cursorValue);
    Picture2->setDrawMode(PictureView::CopyPen);
}

void MainWindow::Picture2_MouseDown(Qt::MouseButtons buttons, QPointF pos)
{
    if (!HScroll1->isEnabled() || buttons == Qt::NoButton)
        return;
    HScroll1->setValue(cursorBinAtX(pos.x()));
}

// A drag moves the cursor once it has been shown.
void MainWindow::Picture2_MouseMove(Qt::MouseButtons buttons, QPointF pos)
{
    if (!HScroll1->isEnabled() || buttons != Qt::LeftButton || !state.cursorShown)
        return;
    HScroll1->setValue(cursorBinAtX(pos.x()));
}

void MainWindow::Form_Click()
{
    showkeptsegment(false);
    if (!state.cursorShown)
        return;
    Picture2->setDrawMode(PictureView::XorPen);
    drawCursor(state.cursorBin, state.cursorValue);
    freq->setText(QString());
    value->setText(QString());
    Picture2->setDrawMode(PictureView::CopyPen);
    state.cursorShown = false;
}
