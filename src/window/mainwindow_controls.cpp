#include "window/mainwindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include <optional>

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
