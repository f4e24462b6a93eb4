#include "window/mainwindow.h"

#include "session/numbertext.h"
#include "views/clipboardtext.h"
#include "window/icon.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
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
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

constexpr double twips = PictureView::twipsPerPixel;
const QColor lightGrey(224, 224, 224);

// Layout positions are in twips; edges are rounded to pixels so that
// neighbouring controls keep their spacing.
void place(QWidget *widget, int left, int top, int width, int height)
{
    const int x = qRound(left / twips), y = qRound(top / twips);
    widget->setGeometry(x, y, qRound((left + width) / twips) - x, qRound((top + height) / twips) - y);
}

QLabel *label(QWidget *parent, const QString &caption, int left, int top, int width, int height,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new QLabel(caption, parent);
    // File names and header texts are shown as written, never as markup.
    l->setTextFormat(Qt::PlainText);
    place(l, left, top, width, height);
    l->setAlignment(alignment);
    return l;
}

// A label with a single-line border on a coloured ground.
QLabel *field(QWidget *parent, int left, int top, int width, int height, QColor ground,
              Qt::Alignment alignment)
{
    QLabel *l = label(parent, QString(), left, top, width, height, alignment);
    l->setFrameShape(QFrame::Box);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, ground);
    l->setPalette(p);
    return l;
}

QLineEdit *textBox(QWidget *parent, int left, int top, int width, int height,
                   std::optional<QColor> ground = {})
{
    auto *box = new QLineEdit(parent);
    place(box, left, top, width, height);
    if (ground) {
        QPalette p = box->palette();
        p.setColor(QPalette::Base, *ground);
        box->setPalette(p);
    }
    return box;
}

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

QPushButton *button(QWidget *parent, const QString &caption, int left, int top, int width,
                    int height, bool enabled)
{
    auto *b = new QPushButton(caption, parent);
    place(b, left, top, width, height);
    b->setEnabled(enabled);
    b->setAutoDefault(false);
    return b;
}

PictureView *picture(QWidget *parent, int left, int top, int width, int height, bool enabled)
{
    auto *view = new PictureView(parent);
    place(view, left, top, width, height);
    view->setEnabled(enabled);
    view->cls();
    return view;
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Sismavue"));
    setWindowIcon(sismavueIcon());
    setFixedSize(qRound(10296 / twips), qRound(8328 / twips));
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

void MainWindow::createControls()
{
    Label1 = label(this, QStringLiteral("Drag here a PSN file, select the segment to analyze with "
                                        "your mouse, then press OK for FFT spectrum"),
                   120, 0, 9492, 252);
    Label2 = field(this, 0, 240, 9612, 372, palette().color(QPalette::Base),
                   Qt::AlignLeft | Qt::AlignVCenter);
    Label2->setAcceptDrops(true);
    Label2->installEventFilter(this);
    Command3 = button(this, QStringLiteral("..."), 9720, 240, 492, 372, true);
    Label8 = label(this, QStringLiteral("Label ="), 120, 840, 732, 252);
    Label9 = field(this, 960, 700, 8652, 372, lightGrey, Qt::AlignCenter);
    Label10 = field(this, 9720, 700, 492, 372, lightGrey, Qt::AlignCenter);
    for (QLabel *box : {Label9, Label10}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](QPoint at) { sensitivitymenu()->exec(box->mapToGlobal(at)); });
    }

    Label7 = label(this, QStringLiteral("Start Sample ="), 120, 1200, 1332, 252);
    Ss = textBox(this, 1680, 1128, 972, 372, lightGrey);
    Label5 = label(this, QStringLiteral("End Sample ="), 120, 1596, 1332, 252);
    Es = textBox(this, 1680, 1536, 972, 372, lightGrey);
    Label6 = label(this, QStringLiteral("Fsampling (Hz) ="), 120, 2040, 1332, 252);
    Fs = textBox(this, 1680, 1956, 972, 372, lightGrey);
    Label3 = label(this, QStringLiteral("Max Peak (µm/s) ="), 120, 2460, 1452, 252);
    MaxPeak = textBox(this, 1680, 2364, 972, 372);
    Label4 = label(this, QStringLiteral("RMS value (µm/s) ="), 120, 2880, 1452, 252);
    RMS = textBox(this, 1680, 2760, 972, 372);
    Label19 = label(this, QStringLiteral("Law,max,Slow (dB)"), 120, 3270, 1452, 252);
    Law = textBox(this, 1680, 3150, 972, 372);
    Label15 = label(this, QStringLiteral("Freq. max (Hz) ="), 120, 3670, 1452, 252);
    Fmax = textBox(this, 1680, 3550, 972, 372);
    Label20 = label(this, QStringLiteral("Perceptual Threshold (71 dB)"), 480, 4120, 2172, 252,
                    Qt::AlignRight | Qt::AlignVCenter);
    QPalette green = Label20->palette();
    green.setColor(QPalette::WindowText, QColor(0, 192, 0));
    Label20->setPalette(green);

    Command2 = button(this, QStringLiteral("Copy"), 360, 4560, 852, 372, false);
    Command4 = button(this, QStringLiteral("Copy All"), 1320, 4560, 972, 372, false);
    Command1 = button(this, QStringLiteral("OK - compute FFT"), 360, 5040, 1932, 372, false);
    Label14 = label(this, QStringLiteral("0"), 1680, 5700, 972, 252, Qt::AlignRight | Qt::AlignVCenter);

    Frame1 = new QGroupBox(QStringLiteral(" Cursor "), this);
    place(Frame1, 0, 6000, 2652, 1212);
    Label17 = label(Frame1, QStringLiteral("Freq. (Hz) ="), 120, 360, 972, 252);
    freq = label(Frame1, QString(), 1320, 360, 852, 252);
    HScroll1 = new QScrollBar(Qt::Horizontal, Frame1);
    place(HScroll1, 2160, 360, 372, 252);
    HScroll1->setRange(0, 1023);
    HScroll1->setSingleStep(1);
    HScroll1->setEnabled(false);
    HScroll1->setFocusPolicy(Qt::StrongFocus);
    HScroll1->installEventFilter(this);
    Label18 = label(Frame1, QStringLiteral("value (µm/s) ="), 120, 720, 1092, 252);
    value = label(Frame1, QString(), 1320, 720, 852, 252);

    Command5 = button(this, QStringLiteral("Copy Spectrum"), 360, 7320, 1932, 372, false);
    Label13 = label(this, QStringLiteral("0"), 1560, 7920, 1092, 252, Qt::AlignRight | Qt::AlignVCenter);
    ProgressBar1 = new QProgressBar(this);
    place(ProgressBar1, 120, 8004, 2292, 204);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Picture1 = picture(this, 2760, 1120, 7452, 2256, false);
    Picture1->installEventFilter(this);
    Picture3 = picture(this, 2760, 3400, 7452, 2256, false);
    Picture2 = picture(this, 2760, 5760, 7452, 2256, true);
    Label11 = label(this, QStringLiteral("0"), 2520, 8076, 492, 252, Qt::AlignCenter);
    Label16 = label(this, QStringLiteral("Frequency (Hz)"), 4320, 8088, 4092, 252, Qt::AlignCenter);
    Label12 = label(this, QStringLiteral("0"), 9480, 8076, 732, 252, Qt::AlignRight | Qt::AlignVCenter);

    connect(Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &MainWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &MainWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &MainWindow::Command5_Click);
    connect(Picture1, &PictureView::mouseDown, this, &MainWindow::Picture1_MouseDown);
    connect(Picture1, &PictureView::mouseMove, this, &MainWindow::Picture1_MouseMove);
    connect(Picture1, &PictureView::mouseUp, this, &MainWindow::Picture1_MouseUp);
    connect(Picture2, &PictureView::mouseDown, this, &MainWindow::Picture2_MouseDown);
    connect(Picture2, &PictureView::mouseMove, this, &MainWindow::Picture2_MouseMove);
    connect(HScroll1, &QScrollBar::valueChanged, this, &MainWindow::HScroll1_Change);
}

// The layout was drawn for a narrower font than most desktops use: the
// window takes the largest size, down to 6 points, at which every fixed
// caption fits its box.
void MainWindow::fitFont()
{
    const QList<QLabel *> labels = findChildren<QLabel *>();
    const QList<QPushButton *> buttons = findChildren<QPushButton *>();
    const auto fits = [&](const QFont &f) {
        const QFontMetrics metrics(f);
        for (const QLabel *l : labels)
            if (l != Label2 && metrics.horizontalAdvance(l->text()) > l->contentsRect().width())
                return false;
        for (const QPushButton *b : buttons)
            if (metrics.horizontalAdvance(b->text()) > b->width() - 8)
                return false;
        return true;
    };
    QFont f = font();
    while (!fits(f) && f.pointSizeF() > 6)
        f.setPointSizeF(f.pointSizeF() - 0.5);
    setFont(f);
}

void MainWindow::setTabOrder()
{
    const QWidget *order[] = {Command1, MaxPeak, RMS,      Es,      Command2, Fs,
                              Picture1, Picture2, Ss,      Command3, Command4, Fmax,
                              Command5, HScroll1, Law,     Picture3};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(order[i]), const_cast<QWidget *>(order[i + 1]));
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

void MainWindow::Command2_Click()
{
    putOnClipboard(copyText(MaxPeak->text().toStdString(), RMS->text().toStdString(),
                            Law->text().toStdString()));
}

void MainWindow::Command4_Click()
{
    SummaryFields fields;
    fields.label = Label9->text().toStdString();
    fields.id = Label10->text().toStdString();
    fields.start = Ss->text().toStdString();
    fields.end = Es->text().toStdString();
    fields.maxPeak = MaxPeak->text().toStdString();
    fields.rms = RMS->text().toStdString();
    fields.law = Law->text().toStdString();
    fields.freqMax = Fmax->text().toStdString();
    putOnClipboard(copyAllText(fields));
}

void MainWindow::Command5_Click()
{
    putOnClipboard(copySpectrumText(state.spectrum, state.sampleRate, decimalSeparator()));
}

void MainWindow::putOnClipboard(const std::string &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(text));
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
