// The detail window's ways into the main window.
#include "window/mainwindow.h"

#include "analysis/loadrecord.h"
#include "views/selection.h"
#include "window/assesswindow.h"
#include "window/detailwindow.h"

#include <QAction>
#include <QMouseEvent>

// A load makes the detail window's summary and exceedances as it goes; a
// record that comes otherwise (a report's picture) has none.
void MainWindow::followload(LoadOptions &options)
{
    loadingDetail.emplace();
    options.followLevels = [this](const LevelledPiece &piece) { loadingDetail->follow(piece); };
}

std::unique_ptr<RecordDetail> MainWindow::finishload(const AnalysedRecord &record)
{
    std::unique_ptr<RecordDetail> made;
    if (loadingDetail)
        made = std::make_unique<RecordDetail>(loadingDetail->finish(recordStartTime(record)));
    loadingDetail.reset();
    // Left by a load that failed, it is of another record.
    if (made && made->samples.count() != record.sampleCount)
        made.reset();
    return made;
}

MainWindow::~MainWindow()
{
    delete assess;
    delete detail;
}

void MainWindow::opendetail()
{
    if (!detail)
        detail = new DetailWindow(*this);
    detail->show();
    detail->raise();
    detail->activateWindow();
}

// The waveform view's press and release, with the samples they map to.
void MainWindow::dragsegment(int32_t press, int32_t release)
{
    if (busy || state.sampleCount == 0)
        return;
    const double width = Picture1->widthTwips();
    Picture1_MouseDown(Qt::LeftButton, {xOfSample(press, state.sampleCount, width), 0});
    Picture1_MouseUp(Qt::LeftButton, {xOfSample(release, state.sampleCount, width), 0});
}

// The level view is never enabled: its double click comes to the window.
void MainWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (childAt(event->position().toPoint()) == Picture3)
        opendetail();
    else
        QWidget::mouseDoubleClickEvent(event);
}
