#include "window/detailwindow.h"

#include "views/recorddetail.h"
#include "window/exceedancemodel.h"
#include "window/mainwindow.h"
#include "window/picturefile.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QTableView>
#include <QWheelEvent>

#include <cmath>

namespace {

const QColor bandColour(0, 255, 255);

// Columns and rows of the view's backing image, in device pixels.
int columnsOf(const PictureView *view)
{
    return static_cast<int>(std::ceil(view->width() * view->pixelRatio()));
}

int rowsOf(const PictureView *view)
{
    return static_cast<int>(std::ceil(view->height() * view->pixelRatio()));
}

} // namespace

DetailWindow::DetailWindow(MainWindow &mainWindow) : QWidget(&mainWindow, Qt::Window), main(mainWindow)
{
    // The program ends with the main window, whatever this one does.
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
    createList();
    QWidget::setTabOrder(waveView, levelView);
    QWidget::setTabOrder(levelView, exceedanceList);
    choosePictureFile = [this](const QString &suggestedName) { return choosePictureName(this, suggestedName); };
    auto *save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(save, &QShortcut::activated, this, &DetailWindow::savepicture);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this), &QShortcut::activated, this, &QWidget::close);
    connect(&main, &MainWindow::recordChanged, this, &DetailWindow::recordChanged);
    connect(&main, &MainWindow::segmentChanged, this, &DetailWindow::segmentChanged);
    resize(1100, 560);
    recordChanged();
}

void DetailWindow::createControls()
{
    waveView = new PictureView(this);
    levelView = new PictureView(this);
    waveAxis = new AxisStrip(AxisStrip::Left, QStringLiteral("Velocity (\u00b5m/s)"), this);
    levelAxis = new AxisStrip(AxisStrip::Left, QStringLiteral("Slow level (dB)"), this);
    timeAxis = new AxisStrip(AxisStrip::Bottom, QString(), this);
    for (PictureView *view : {waveView, levelView}) {
        view->setMinimumSize(200, 120);
        view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        view->installEventFilter(this);
    }
    auto *hint = new QLabel(QStringLiteral("Wheel, + and \u2212: zoom \u00b7 drag, arrows: move \u00b7 Home: "
                                           "whole record \u00b7 Shift+drag: select the segment"),
                            this);
    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(4);
    grid->addWidget(waveAxis, 0, 0);
    grid->addWidget(waveView, 0, 1);
    grid->addWidget(levelAxis, 1, 0);
    grid->addWidget(levelView, 1, 1);
    grid->addWidget(timeAxis, 2, 1);
    grid->addWidget(hint, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
}

// The same figures in both views; the level view's drawing follows.
void DetailWindow::recordChanged()
{
    const QString names = (main.Label9->text() + QLatin1Char(' ') + main.Label10->text()).trimmed();
    setWindowTitle(names.isEmpty() ? QStringLiteral("Detail") : QStringLiteral("Detail \u2014 ") + names);
    span = wholeRecord(main.session().sampleCount);
    press.reset();
    exceedanceModel->reload();
    redraw();
}

void DetailWindow::segmentChanged()
{
    redraw();
}

const RecordDetail *DetailWindow::detail() const
{
    return main.recorddetail();
}

void DetailWindow::showSpan(DetailSpan s)
{
    span = heldInRecord(s, main.session().sampleCount);
    redraw();
}

void DetailWindow::showWholeRecord()
{
    showSpan(wholeRecord(main.session().sampleCount));
}

void DetailWindow::keyPressEvent(QKeyEvent *event)
{
    const int32_t count = main.session().sampleCount;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return showSpan(zoomedSpan(span, 0.5, 0.5, count));
    case Qt::Key_Minus:
        return showSpan(zoomedSpan(span, 2, 0.5, count));
    case Qt::Key_Left:
    case Qt::Key_Right:
        return showSpan(pannedSpan(span, (event->key() == Qt::Key_Right ? 1 : -1) * span.span / 8, count));
    case Qt::Key_Home:
        return showWholeRecord();
    default:
        QWidget::keyPressEvent(event);
    }
}

bool DetailWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The two views are resized one after the other: each draws both.
    if ((watched == waveView || watched == levelView) && event->type() == QEvent::Resize) {
        redraw();
        return false;
    }
    if (watched == waveView || watched == levelView)
        return viewMouse(static_cast<PictureView *>(watched), event);
    return QWidget::eventFilter(watched, event);
}

// Positions in the views are turned into columns of the backing image, the
// unit the views draw in.
bool DetailWindow::viewMouse(PictureView *view, QEvent *event)
{
    const int32_t count = main.session().sampleCount;
    const double columns = columnsOf(view);
    if (event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        const double anchor = std::clamp(wheel->position().x() / view->width(), 0.0, 1.0);
        showSpan(zoomedSpan(span, std::pow(0.8, wheel->angleDelta().y() / 120.0), anchor, count));
        return true;
    }
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick &&
        event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    const double x = mouse->position().x() / view->width() * columns;
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (mouse->button() == Qt::LeftButton && count > 0 && !press)
            press = Press{x, span, (mouse->modifiers() & Qt::ShiftModifier) != 0, {}};
        view->setFocus(Qt::MouseFocusReason);
        return true;
    }
    if (!press)
        return true;
    if (event->type() == QEvent::MouseMove && !press->selects) {
        showSpan(pannedSpan(press->span, (press->x - x) / columns * press->span.span, count));
        return true;
    }
    if (event->type() == QEvent::MouseMove) {
        if (press->bandTo)
            toggleSelectionBand(press->x, *press->bandTo);
        toggleSelectionBand(press->x, x);
        press->bandTo = x;
        return true;
    }
    if (mouse->button() != Qt::LeftButton)
        return true;
    const Press done = *press;
    press.reset();
    if (done.bandTo)
        toggleSelectionBand(done.x, *done.bandTo);
    if (done.selects)
        main.dragsegment(sampleAtX(span, done.x, columns, count), sampleAtX(span, x, columns, count));
    return true;
}

// The band of a selection being dragged, in exclusive-or on both views.
void DetailWindow::toggleSelectionBand(double fromX, double toX)
{
    for (PictureView *view : {waveView, levelView}) {
        view->setDrawMode(PictureView::XorPen);
        view->box({std::min(fromX, toX), 0, std::max(fromX, toX), static_cast<double>(rowsOf(view))}, bandColour);
        view->setDrawMode(PictureView::CopyPen);
    }
}

void DetailWindow::savepicture()
{
    const QString file = main.Label2->text();
    const std::optional<QString> chosen =
        choosePictureFile((file.isEmpty() ? QStringLiteral("sismavue") : file) + QStringLiteral("-detail.png"));
    if (!chosen)
        return;
    if (const std::optional<QString> failure =
            writeWidgetPicture(*this, *chosen, pictureScaleOf(*this), QFileInfo(file).fileName()))
        main.showMessage(*failure);
}
