// Selecting a segment with the left button on the waveform view.
#include "window/mainwindow.h"

#include "analysis/levels.h"
#include "session/numbertext.h"
#include "views/selection.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>

namespace {

const QColor bandColour(0, 255, 255);

} // namespace

// Draws the band in exclusive-or, or removes it when it is already there.
void MainWindow::toggleBand(double startX, double endX)
{
    Picture1->setDrawMode(PictureView::XorPen);
    Picture1->box(bandRect(startX, endX, Picture1->heightTwips()), bandColour);
    Picture1->setDrawMode(PictureView::CopyPen);
    if (shownBand && shownBand->first == startX && shownBand->second == endX)
        shownBand.reset();
    else
        shownBand = {startX, endX};
}

void MainWindow::eraseShownBand()
{
    if (shownBand)
        toggleBand(shownBand->first, shownBand->second);
}

// Ignored without a record and while a load or a spectrum computation runs,
// so the segment never changes under them.
void MainWindow::Picture1_MouseDown(Qt::MouseButtons buttons, QPointF pos)
{
    if (busy || state.sampleCount == 0 || buttons != Qt::LeftButton)
        return;
    state.isDragging = true;
    showkeptsegment(false);
    eraseShownBand();
    state.startSample = std::max(1, sampleAtX(pos.x(), Picture1->widthTwips(), state.sampleCount));
    Ss->setText(number(integerText(state.startSample)));
    state.dragLineX = roundToInt32(pos.x());
    // The spectrum belonged to the segment the press has just given up. Its
    // release may never come (the view disabled under the held button).
    clearSpectrumView();
}

void MainWindow::Picture1_MouseMove(Qt::MouseButtons buttons, QPointF pos)
{
    if (busy || !state.isDragging || buttons != Qt::LeftButton || state.sampleCount == 0)
        return;
    eraseShownBand();
    toggleBand(xOfSample(state.startSample, state.sampleCount, Picture1->widthTwips()), pos.x());
    state.dragLineX = roundToInt32(pos.x());
}

// The band is drawn again from the chosen ends, so what is on screen, Ss, Es
// and the figures all describe the same segment, also when the release lies
// left of the press.
void MainWindow::Picture1_MouseUp(Qt::MouseButton button, QPointF pos)
{
    // A release while busy would end the drag with the press's start kept
    // but no segment made of it; the drag goes on instead.
    if (busy || !state.isDragging || button != Qt::LeftButton)
        return;
    state.isDragging = false;
    if (state.sampleCount == 0)
        return;
    const int32_t count = state.sampleCount;
    const double width = Picture1->widthTwips();
    const SegmentBounds chosen =
        selectSegment(state.startSample, sampleAtX(pos.x(), width, count), count);
    eraseShownBand();
    state.startSample = chosen.start;
    state.endSample = chosen.end;
    state.hasSegment = chosen.hasSegment;
    if (chosen.hasSegment) {
        const double endX = xOfSample(chosen.end, count, width);
        toggleBand(xOfSample(chosen.start, count, width), endX);
        state.dragLineX = roundToInt32(endX);
    }
    Ss->setText(number(integerText(state.startSample)));
    Es->setText(number(integerText(state.endSample)));

    setHourglass(true);
    const Figures figures =
        segmentFigures(state.samples, state.slowLevel, state.startSample, state.endSample);
    state.lawMaxSlow = figures.lawMaxSlow;
    showFigures(figures.peak, figures.rms, figures.lawMaxSlow);
    beep();
    clearSpectrumView();
    setHourglass(false);
    emit segmentChanged();
}
