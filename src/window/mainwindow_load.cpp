// Opening a record: start-up, the file dialog, drops, the load and the plot.
#include "window/mainwindow.h"

#include "analysis/loadrecord.h"
#include "record/mseedchannels.h"
#include "record/sensitivity.h"
#include "session/numbertext.h"
#include "views/selection.h"
#include "views/waveplot.h"

#include <QApplication>
#include <QDropEvent>
#include <QInputDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>

namespace {

const QColor black(0, 0, 0);
const QColor blue(0, 0, 255);
const QColor green(0, 255, 0);
const QColor yellow(255, 255, 0);
const QColor white(255, 255, 255);

// Vertices per drawing call while the record is plotted.
constexpr size_t plotBatch = 8192;

} // namespace

QString MainWindow::joinCommandLine(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

QString MainWindow::stripQuotes(QString name)
{
    if (name.startsWith(QLatin1Char('"')))
        name.remove(0, 1);
    if (name.endsWith(QLatin1Char('"')))
        name.chop(1);
    return name;
}

void MainWindow::Form_Load(const QString &commandLine)
{
    state.startSample = 0;
    state.endSample = 0;
    state.isDragging = false;
    if (commandLine.isEmpty())
        return;
    const QString name = stripQuotes(commandLine);
    Label2->setText(name);
    if (loadfile(name))
        Picture1->setEnabled(true);
}

void MainWindow::Command3_Click()
{
    if (busy)
        return;
    Picture1->setEnabled(false);
    const QString initial = Label2->text().isEmpty() ? QStringLiteral("*.psn") : Label2->text();
    if (const std::optional<QString> chosen = chooseFile(initial)) {
        Label2->setText(*chosen);
        loadfile(*chosen);
    }
    Picture1->setEnabled(true);
}

// Copy when the source allows it; anything but local files is refused.
bool MainWindow::Label2_OLEDragOver(const QMimeData *data, Qt::DropActions possible) const
{
    if (busy || !data || !data->hasUrls() || !(possible & Qt::CopyAction))
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

// Files dragged over any part of the window follow the path box's rules;
// other data is left to the control under the pointer (text to a text box).
bool MainWindow::takeFileDrag(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!drag->mimeData() || !drag->mimeData()->hasUrls())
            return false;
        if (Label2_OLEDragOver(drag->mimeData(), drag->possibleActions())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!drop->mimeData() || !drop->mimeData()->hasUrls())
            return false;
        if (!Label2_OLEDragOver(drop->mimeData(), drop->possibleActions())) {
            drop->ignore();
            return true;
        }
        QStringList files;
        for (const QUrl &url : drop->mimeData()->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Loaded once the drop has returned, so the source is not kept waiting.
        QMetaObject::invokeMethod(this, [this, files] { Label2_OLEDragDrop(files); },
                                  Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}

void MainWindow::Label2_OLEDragDrop(const QStringList &files)
{
    if (busy || files.isEmpty())
        return;
    for (const QString &file : files)
        DropFile(Label2, file);
    if (loadfile(Label2->text()))
        Picture1->setEnabled(true);
}

void MainWindow::DropFile(QLabel *target, const QString &fileName)
{
    target->setText(fileName);
}

// Reads and analyses on fresh arrays; the session changes only when that has
// succeeded. A failure leaves record, figures, views and selection as they
// were, shows the reason and puts Label2 back to the file on display.
bool MainWindow::loadfile(const QString &fileName, const std::string &channel)
{
    if (busy)
        return false;
    busy = true;
    setHourglass(true);
    setProgress(5);
    sinceEvents.invalidate();
    const std::string path = QFile::encodeName(fileName).toStdString();
    LoadOptions options;
    options.progress = [&](int percent) {
        setProgress(percent);
        letEventsRun();
    };
    options.headerRead = [&] { beep(); };
    std::string chosenChannel = channel;
    if (!channel.empty())
        options.channel = channel;
    options.chooseChannel = [&](const std::vector<std::string> &names) -> std::optional<std::string> {
        QStringList list;
        for (const std::string &name : names)
            list << QString::fromStdString(name);
        setHourglass(false);
        const std::optional<QString> answer = chooseChannel(list, static_cast<int>(offeredChannel(names)));
        setHourglass(true);
        if (!answer)
            return std::nullopt;
        chosenChannel = answer->toStdString();
        return chosenChannel;
    };
    followload(options);
    LoadResult result = LoadError{path, 0, "cannot be loaded"};
    // The person's sensitivity table is read for every load, so that an
    // edit counts at once.
    const std::string tablePath = userSensitivityTablePath();
    auto table = tablePath.empty() ? SensitivityTable{} : readSensitivityTable(tablePath, true);
    if (const auto *error = std::get_if<LoadError>(&table)) {
        result = *error;
    } else {
        options.sensitivity.table = &std::get<SensitivityTable>(table);
        try {
            result = loadRecord(path, options);
        } catch (const std::bad_alloc &) {
            result = LoadError{path, 0, "the record does not fit in memory"};
        }
    }
    if (const auto *error = std::get_if<LoadError>(&result)) {
        setProgress(0);
        setHourglass(false);
        Label2->setText(loadedFile);
        busy = false;
        // A cancelled choice of channel leaves everything as it was.
        if (!error->cancelled)
            showMessage(QString::fromLocal8Bit(error->message()));
        return false;
    }
    loadedFile = fileName;
    loadedChannel = chosenChannel;
    takeRecord(std::get<AnalysedRecord>(std::move(result)));
    busy = false;
    return true;
}

void MainWindow::takeRecord(AnalysedRecord &&record)
{
    shownDetail = finishload(record);
    state.sampleCount = record.sampleCount;
    state.sampleRate = record.sampleRate;
    state.samples = std::move(record.samples);
    state.slowLevel = std::move(record.slowLevel);
    state.peakAmplitude = record.peakAmplitude;
    state.lawMaxSlow = record.lawMaxSlow;
    loadedSensitivity = record.sensitivity;
    shownotices(record);
    // The plot below lets other handlers run: they find the selection
    // already inside the new record.
    if (state.hasSegment) {
        const SegmentBounds kept = keepSegment(state.startSample, state.endSample, state.sampleCount);
        state.startSample = kept.start;
        state.endSample = kept.end;
        state.hasSegment = kept.hasSegment;
    } else {
        state.startSample = 0;
        state.endSample = state.sampleCount;
    }
    // Nor do they find the previous record's spectrum current.
    Command5->setEnabled(false);
    HScroll1->setEnabled(false);

    // An absent header line leaves its label empty, never another record's.
    Fs->setText(number(integerText(state.sampleRate)));
    Label12->setText(number(formatWhole(state.sampleRate / 2.0)));
    Label9->setText(QString::fromStdString(record.stationCode));
    Label10->setText(QString::fromStdString(record.componentName));
    emit recordChanged();
    showFigures(record.figures.peak, record.figures.rms, record.figures.lawMaxSlow);
    beep();
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    Command4->setEnabled(true);

    plotwave();
    letEventsRun();
    showkeptsegment(state.hasSegment);
    if (state.hasSegment) {
        keepSegmentAfterLoad();
    } else {
        Ss->setText(QStringLiteral("0"));
        Es->setText(number(integerText(state.sampleCount)));
    }
    clearSpectrumView();
    setProgress(0);
    setHourglass(false);
    emit segmentChanged();
}

// The segment of the previous record, clamped to this one (takeRecord), is
// drawn and measured again. Ss and Es follow the clamped ends, so "Copy All"
// never passes off the old ones.
void MainWindow::keepSegmentAfterLoad()
{
    const double width = Picture1->widthTwips();
    const double endX = xOfSample(state.endSample, state.sampleCount, width);
    toggleBand(xOfSample(state.startSample, state.sampleCount, width), endX);
    state.dragLineX = roundToInt32(endX);
    const Figures figures =
        segmentFigures(state.samples, state.slowLevel, state.startSample, state.endSample);
    state.lawMaxSlow = figures.lawMaxSlow;
    setProgress(100);
    letEventsRun();
    showFigures(figures.peak, figures.rms, figures.lawMaxSlow);
    Ss->setText(number(integerText(state.startSample)));
    Es->setText(number(integerText(state.endSample)));
}

void MainWindow::showFigures(double peak, double rms, float lawMaxSlow)
{
    const std::string separator = decimalSeparator();
    MaxPeak->setText(number(format2(peak * 1000000, separator)));
    RMS->setText(number(format2(rms * 1000000, separator)));
    Law->setText(number(format2(lawMaxSlow, separator)));
    QPalette p = Law->palette();
    p.setColor(QPalette::Base, lawMaxSlow > perceptionThreshold ? yellow : white);
    Law->setPalette(p);
}

// The spectrum no longer belongs to what is selected.
void MainWindow::clearSpectrumView()
{
    Picture2->cls();
    state.cursorShown = false;
    Fmax->setText(QString());
    Command5->setEnabled(false);
    HScroll1->setEnabled(false);
}

void MainWindow::plotwave()
{
    Picture1->cls();
    Picture3->cls();
    shownBand.reset();
    const bool hadHourglass = hourglass;
    setHourglass(true);
    Picture3->line(thresholdLine(Picture3->widthTwips(), Picture3->heightTwips()), green);

    const int32_t count = state.sampleCount;
    const int step = decimationStep(count);
    const std::vector<PlotPoint> wave = wavePolyline(state.samples, count, state.peakAmplitude,
                                                     Picture1->widthTwips(), Picture1->heightTwips());
    const std::vector<PlotPoint> level =
        levelPolyline(state.slowLevel, count, Picture3->widthTwips(), Picture3->heightTwips());
    // Batches share their end vertex, so the polylines join up.
    const size_t vertices = std::max(wave.size(), level.size());
    for (size_t first = 0; first + 1 < vertices; first += plotBatch) {
        if (first + 1 < wave.size())
            Picture1->polyline(wave.data() + first, std::min(plotBatch + 1, wave.size() - first), black);
        if (first + 1 < level.size())
            Picture3->polyline(level.data() + first, std::min(plotBatch + 1, level.size() - first), blue);
        const size_t last = std::min(first + plotBatch, vertices - 1);
        setProgress(plotProgress(plotVertexSample(static_cast<int64_t>(last), step), count));
        letEventsRun();
    }
    setHourglass(hadHourglass);
}

// A list, the channel offered first selected.
std::optional<QString> MainWindow::chooseChannelByDialog(const QStringList &channels, int offered)
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Channel"));
    dialog.setLabelText(QStringLiteral("%1 holds several channels. Open:").arg(QFileInfo(Label2->text()).fileName()));
    dialog.setComboBoxItems(channels);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setTextValue(channels.value(offered));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
