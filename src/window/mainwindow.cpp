#include "window/mainwindow.h"

#include "window/icon.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

// A text the window puts in a box shows from its first character, as a
// figure is read, even where the box is too narrow for it; it is then the
// box's tooltip too. The person's own typing keeps its cursor.
void showStart(QLineEdit *box, const QString &text)
{
    if (!box->isModified())
        box->setCursorPosition(0);
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    // The box keeps a margin of 2 pixels on either side of its text.
    const int room = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box)
                         .marginsRemoved(box->textMargins())
                         .width() - 4;
    box->setToolTip(box->fontMetrics().horizontalAdvance(text) > room ? text : QString());
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Sismavue"));
    setWindowIcon(sismavueIcon());
    setFixedSize(qRound(10296 / PictureView::twipsPerPixel), qRound(8328 / PictureView::twipsPerPixel));
    createControls();
    createShortcuts();
    setTabOrder();
    fitFont();
    // Files dropped anywhere load as if dropped on the path box. The text
    // boxes take dropped text themselves, so their drags pass by the window.
    setAcceptDrops(true);
    for (QLineEdit *box : {Ss, Es, Fs, MaxPeak, RMS, Law, Fmax}) {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, box, [box](const QString &text) { showStart(box, text); });
    }

    chooseFile = [this](const QString &initialName) -> std::optional<QString> {
        // The filter already offers *.psn; a previous file opens its folder.
        const QString start = initialName == QLatin1String("*.psn") ? QString() : initialName;
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Load a .PSN File"), start,
            QStringLiteral("Records (*.psn *.sac *.SAC *.mseed *.miniseed);;All files (*)"));
        if (path.isEmpty())
            return std::nullopt;
        return path;
    };
    choosePictureFile = [this](const QString &suggestedName) {
        return choosePictureFileByDialog(suggestedName);
    };
    showMessage = [this](const QString &text) {
        // A failure at start-up is shown once the window is up, over it.
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                QMessageBox box(QMessageBox::Warning, QStringLiteral("Sismavue"), text,
                                QMessageBox::Ok, this);
                box.setTextFormat(Qt::PlainText);
                box.exec();
            },
            isVisible() ? Qt::DirectConnection : Qt::QueuedConnection);
    };
    beep = [] { QApplication::beep(); };
    chooseChannel = [this](const QStringList &choices, int offered) {
        return chooseChannelByDialog(choices, offered);
    };
    askSensitivity = [this](const QString &question, const QString &offered) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(this, QStringLiteral("Sensitivity"), question,
                                                   QLineEdit::Normal, offered, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    };
}

// The click on the window's background: only where no control lies.
void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && rect().contains(at) && !childAt(at))
        Form_Click();
}

// Keys of the window; no control is added and no caption changes.
void MainWindow::createShortcuts()
{
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this), &QShortcut::activated, this,
            &MainWindow::Command3_Click);
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    // Also offered by the views' context menu.
    savePictureAction = new QAction(QStringLiteral("Save Picture\u2026"), this);
    savePictureAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(savePictureAction);
    connect(savePictureAction, &QAction::triggered, this, &MainWindow::savepicture);
    detailAction = new QAction(QStringLiteral("Detail\u2026"), this);
    detailAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    addAction(detailAction);
    connect(detailAction, &QAction::triggered, this, &MainWindow::opendetail);
    createAssessAction();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonDblClick)
        opendetail();   // and the press it also is goes on to the view
    if (watched == HScroll1 && event->type() == QEvent::KeyPress)
        return cursorKey(static_cast<QKeyEvent *>(event));
    if (watched == Label2 && event->type() == QEvent::ToolTip) {
        showPathTip(static_cast<QHelpEvent *>(event));
        return true;
    }
    if (watched == Label2 || qobject_cast<QLineEdit *>(watched))
        return takeFileDrag(event) || QWidget::eventFilter(watched, event);
    return QWidget::eventFilter(watched, event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!takeFileDrag(event))
        event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takeFileDrag(event))
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    if (!takeFileDrag(event))
        event->ignore();
}

// A scroll bar's controls are inverted so that the wheel scrolls down, which
// turns Left and Right against its own arrows. Here Right moves the cursor
// to higher frequencies and Left to lower ones, as the arrows do.
bool MainWindow::cursorKey(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Right && event->key() != Qt::Key_Left)
        return false;
    HScroll1->triggerAction(event->key() == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd
                                                          : QAbstractSlider::SliderSingleStepSub);
    return true;
}

// The path box cuts a long path at its right edge: its tooltip holds the
// whole path, as plain text on one line whatever characters it holds.
void MainWindow::showPathTip(QHelpEvent *event)
{
    const QString path = Label2->text();
    if (path.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return;
    }
    QToolTip::showText(event->globalPos(),
                       QStringLiteral("<p style='white-space:pre'>") + path.toHtmlEscaped() +
                           QStringLiteral("</p>"),
                       Label2);
}

QString MainWindow::number(const std::string &text) const
{
    return QString::fromStdString(text);
}

std::string MainWindow::decimalSeparator() const
{
    return QLocale().decimalPoint().toStdString();
}

void MainWindow::setProgress(double percent)
{
    if (std::isnan(percent))
        percent = 0;
    ProgressBar1->setValue(static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0))));
}

// Pending events run at most about every 10 ms, so a long loop that reports
// progress often spends its time on its work, not on the event loop.
void MainWindow::letEventsRun()
{
    if (sinceEvents.isValid() && sinceEvents.elapsed() < 10)
        return;
    QCoreApplication::processEvents();
    sinceEvents.start();
}

void MainWindow::setHourglass(bool on)
{
    if (on == hourglass)
        return;
    hourglass = on;
    if (on)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}
