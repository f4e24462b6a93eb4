#include "window/assesswindow.h"

#include "assess/options.h"
#include "window/assessview.h"
#include "window/mainwindow.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

// A chooser of an option's values: what the window calls each, in the
// order of the option's words, which the items carry as their data and
// their tips name as the report's.
template <class E>
QComboBox *chooser(QWidget *parent, std::initializer_list<const char *> captions, E chosen, const char *option)
{
    auto *box = new QComboBox(parent);
    const auto words = optionNames(E{});
    std::size_t i = 0;
    for (const char *caption : captions) {
        const QString word = QString::fromUtf8(words[i].data(), static_cast<qsizetype>(words[i].size()));
        box->addItem(QString::fromUtf8(caption), word);
        box->setItemData(static_cast<int>(i), QStringLiteral("sismavue-report %1 %2").arg(QLatin1String(option), word),
                         Qt::ToolTipRole);
        ++i;
    }
    box->setCurrentIndex(static_cast<int>(chosen));
    return box;
}

QLabel *labelFor(QWidget *parent, const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

AssessWindow::AssessWindow(MainWindow &mainWindow) : QWidget(&mainWindow, Qt::Window), main(mainWindow)
{
    // The program ends with the main window, whatever this one does.
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
    setTabOrder();
    helper = std::make_unique<FollowingStage<Job>>(true, [this](Job &job) {
        try {
            job.outcome = job.run();
        } catch (const std::exception &error) {
            job.failure = error.what();
        }
        QMetaObject::invokeMethod(this, &AssessWindow::jobDone, Qt::QueuedConnection);
    });
    chooseFile = [this]() -> std::optional<QString> {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Add a Component"), QFileInfo(recordFile).path(),
            QStringLiteral("Records (*.psn *.sac *.SAC *.mseed *.miniseed);;All files (*)"));
        if (path.isEmpty())
            return std::nullopt;
        return path;
    };
    createShortcuts();
    connect(&main, &MainWindow::recordChanged, this, &AssessWindow::recordChanged);
    connect(&main, &MainWindow::segmentChanged, this, &AssessWindow::segmentChanged);
    resize(1000, 740);
    recordChanged();
}

AssessWindow::~AssessWindow()
{
    helper.reset();
}

void AssessWindow::createControls()
{
    componentList = new QListWidget(this);
    componentList->setMaximumHeight(fontMetrics().height() * 4 + 8);
    addButton = new QPushButton(QStringLiteral("&Add File\u2026"), this);
    dropButton = new QPushButton(QStringLiteral("&Drop File"), this);
    statusLabel = new QLabel(this);
    verdictLabel = new QLabel(this);
    QFont large = verdictLabel->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.5);
    verdictLabel->setFont(large);
    peopleLabel = new QLabel(this);
    notesLabel = new QLabel(this);
    notesLabel->setWordWrap(true);
    noticeLabel =
        new QLabel(QString::fromUtf8(screeningNotice.data(), static_cast<qsizetype>(screeningNotice.size())), this);
    noticeLabel->setWordWrap(true);
    for (QLabel *label : {statusLabel, verdictLabel, peopleLabel, notesLabel, noticeLabel})
        label->setTextFormat(Qt::PlainText);
    stripView = new AssessView(this);
    chartView = new AssessView(this);
    traceView = new AssessView(this);
    createTable();
    copyButton = new QPushButton(QStringLiteral("&Copy"), this);
    copyButton->setToolTip(QStringLiteral("The rows of sismavue-report --assess din4150-3 (Ctrl+C)"));
    copyPeopleButton = new QPushButton(QStringLiteral("Copy DIN 4150-&2"), this);
    copyPeopleButton->setToolTip(QStringLiteral("The rows of sismavue-report --assess din4150-2 (Shift+Ctrl+C)"));
    savePictureButton = new QPushButton(QStringLiteral("&Save Picture\u2026"), this);
    savePictureButton->setToolTip(QStringLiteral("The DIN 4150-3 picture (Ctrl+S), DIN 4150-2 (Shift+Ctrl+S)"));

    auto *files = new QGridLayout;
    files->addWidget(new QLabel(QStringLiteral("Components:"), this), 0, 0, Qt::AlignTop);
    files->addWidget(componentList, 0, 1, 3, 1);
    files->addWidget(addButton, 0, 2);
    files->addWidget(dropButton, 1, 2);
    files->setColumnStretch(1, 1);
    auto *views = new QGridLayout;
    views->addWidget(stripView, 0, 0, 1, 2);
    views->addWidget(chartView, 1, 0);
    views->addWidget(traceView, 1, 1);
    views->setRowStretch(0, 5);
    views->setRowStretch(1, 6);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(statusLabel, 1);
    buttons->addWidget(copyButton);
    buttons->addWidget(copyPeopleButton);
    buttons->addWidget(savePictureButton);
    auto *column = new QVBoxLayout(this);
    column->addLayout(files);
    column->addWidget(chooserRow(this));
    column->addLayout(views, 1);
    column->addWidget(table);
    column->addWidget(verdictLabel);
    column->addWidget(peopleLabel);
    column->addWidget(notesLabel);
    column->addWidget(noticeLabel);
    column->addLayout(buttons);
    connect(addButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> path = chooseFile())
            addFile(*path);
    });
    connect(dropButton, &QPushButton::clicked, this, [this] { dropFile(componentList->currentRow()); });
    connect(componentList, &QListWidget::currentRowChanged, this, [this](int row) {
        dropButton->setEnabled(row >= 0 && componentList->item(row)->data(Qt::UserRole).toInt() > 0 && !isBusy());
    });
    connect(chartView, &AssessView::hovered, this, &AssessWindow::showChartTip);
}

QWidget *AssessWindow::chooserRow(QWidget *parent)
{
    auto *row = new QWidget(parent);
    buildingBox = chooser(row, {"Commercial, industrial (line 1)", "Dwelling (line 2)", "Sensitive, listed (line 3)"},
                          Building::Dwelling, "--building");
    placeBox = chooser(row, {"Foundation", "Top floor, horizontal", "Floor slab, vertical", "Long-term, top floor"},
                       Place::Foundation, "--place");
    frequencyBox = chooser(row, {"Stricter of both", "Zero crossings", "Spectrum"}, FrequencyMethod::Stricter,
                           "--frequency");
    areaBox = chooser(row, {"Industrial", "Commercial", "Mixed", "Residential", "Special (hospitals)"},
                      Area::Residential, "--area");
    periodBox = chooser(row, {"Day (16 h)", "Night (8 h)"}, Period::Day, "--period");
    exposureBox = new QDoubleSpinBox(row);
    exposureBox->setRange(0.001, 24);
    exposureBox->setDecimals(3);
    exposureBox->setSingleStep(0.5);
    exposureBox->setSuffix(QStringLiteral(" h"));
    exposureBox->setKeyboardTracking(false);
    exposureBox->setToolTip(QStringLiteral("sismavue-report --exposure HOURS; at first the duration assessed"));
    auto *grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    // A row per standard: its name, then each chooser after its label.
    const std::pair<const char *, std::array<std::pair<const char *, QWidget *>, 3>> rows[] = {
        {"DIN 4150-3", {{{"&Building:", buildingBox}, {"&Place:", placeBox}, {"&Frequency:", frequencyBox}}}},
        {"DIN 4150-2", {{{"A&rea:", areaBox}, {"P&eriod:", periodBox}, {"E&xposure:", exposureBox}}}},
    };
    for (int r = 0; r < 2; ++r) {
        grid->addWidget(new QLabel(QString::fromLatin1(rows[r].first), row), r, 0);
        for (int c = 0; c < 3; ++c) {
            const auto &[caption, box] = rows[r].second[static_cast<std::size_t>(c)];
            grid->addWidget(labelFor(row, QString::fromLatin1(caption), box), r, 2 * c + 1);
            grid->addWidget(box, r, 2 * c + 2);
        }
    }
    grid->setColumnStretch(7, 1);
    for (QComboBox *box : {buildingBox, placeBox, frequencyBox, areaBox, periodBox})
        connect(box, &QComboBox::currentIndexChanged, this, &AssessWindow::choiceChanged);
    connect(exposureBox, &QDoubleSpinBox::valueChanged, this, &AssessWindow::exposureEdited);
    return row;
}

void AssessWindow::createTable()
{
    table = new QTableWidget(0, 13, this);
    table->setHorizontalHeaderLabels(
        {QStringLiteral("Component"), QStringLiteral("Peak\nmm/s"), QStringLiteral("at"),
         QStringLiteral("f zero-\ncrossing Hz"), QStringLiteral("f spectrum\nHz"), QStringLiteral("f used\nHz"),
         QStringLiteral("Guideline\nmm/s"), QStringLiteral("Ratio"), QStringLiteral("DIN 4150-3"),
         QStringLiteral("KB_Fmax"), QStringLiteral("KB_FTm"), QStringLiteral("KB_FTr"), QStringLiteral("DIN 4150-2")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// Top to bottom, left to right.
void AssessWindow::setTabOrder()
{
    QWidget *order[] = {componentList, addButton,    dropButton, buildingBox, placeBox,
                        frequencyBox,  areaBox,      periodBox,  exposureBox, table,
                        copyButton,    copyPeopleButton, savePictureButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    for (AssessView *view : {stripView, chartView, traceView})
        view->setFocusPolicy(Qt::NoFocus);
}
