// Opening a record: the load and the plot.
#include "window/mainwindow.h"

#include "analysis/loadrecord.h"
#include "record/recordreader.h"
#include "session/numbertext.h"
#include "settings/sensitivitytable.h"
#include "views/selection.h"
#include "views/waveplot.h"

#include <QApplication>
#include <QInputDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

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

// Reads and analyses on fresh arrays; the session changes only when that has
// succeeded. A failure leaves record, figures, views and selection as they
// were, shows the reason and puts Label2 back to the file on display.
bool MainWindow::loadfile(const QString &fileName, const std::string &channel, int piece)
{
    if (busy)
        return false;
    busy = true;
    setHourglass(true);
    setProgress(5);
    sinceEvents.invalidate();
    const std::string path = QFile::encodeName(fileName).toStdString();
    std::optional<RecordChoice> chosen;
    LoadResult result = LoadError{path, 0, "cannot be loaded"};
    try {
        result = readAndAnalyse(path, RecordChoice{channel, piece}, chosen);
    } catch (const std::bad_alloc &) {
        result = LoadError{path, 0, "the record does not fit in memory"};
    }
    if (const auto *error = std::get_if<LoadError>(&result)) {
        setProgress(0);
        setHourglass(false);
        Label2->setText(loadedFile);
        busy = false;
        // A cancelled choice of channel leaves everything as it was.
        if (chosen)
            showMessage(QString::fromLocal8Bit(error->message()));
        return false;
    }
    loadedFile = fileName;
    loadedChoice = *chosen;
    takeRecord(std::get<AnalysedRecord>(std::move(result)));
    busy = false;
    return true;
}

// The steps of a load: the person's sensitivity table (read for every load,
// so that an edit counts at once), the record's header and entries, a beep,
// the entry (asked for when the file holds several and `wanted` names none
// of them), its values and their analysis. `chosen` is left empty only when
// the person cancelled the choice.
LoadResult MainWindow::readAndAnalyse(const std::string &path, const RecordChoice &wanted,
                                      std::optional<RecordChoice> &chosen)
{
    chosen = wanted;
    const std::string tablePath = userSensitivityTablePath();
    auto table = tablePath.empty() ? SensitivityTable{} : readSensitivityTable(tablePath, true);
    if (const auto *error = std::get_if<LoadError>(&table))
        return *error;
    auto input = openRecordFile(path);
    if (const auto *error = std::get_if<LoadError>(&input))
        return *error;
    ReadOptions read;
    read.sensitivity.table = &std::get<SensitivityTable>(table);
    if (!wanted.channel.empty())
        read.channel = wanted.channel;
    read.progress = [this](double done) {
        setProgress(5 + 5 * done);
        letEventsRun();
    };
    OpenResult opened = openRecord(std::get<ByteInput>(input), path, read);
    if (const auto *error = std::get_if<LoadError>(&opened))
        return *error;
    OpenedRecord &record = std::get<OpenedRecord>(opened);
    beep();
    const std::vector<RecordEntry> &entries = record.entries();
    size_t entry = 0;
    // Asked for again by its channel, an entry is that channel's piece.
    if (wanted.piece >= 0 && static_cast<size_t>(wanted.piece) < entries.size()) {
        entry = static_cast<size_t>(wanted.piece);
    } else if (entries.size() > 1) {
        QStringList texts;
        for (const RecordEntry &e : entries)
            texts << entryText(e);
        setHourglass(false);
        const std::optional<int> answer = chooseChannel(texts, static_cast<int>(offeredEntry(entries)));
        setHourglass(true);
        if (!answer || *answer < 0 || static_cast<size_t>(*answer) >= entries.size()) {
            chosen.reset();
            return LoadError{path, 0, "no channel was chosen"};
        }
        entry = static_cast<size_t>(*answer);
    }
    chosen = RecordChoice{entries[entry].channelName, entries[entry].piece, entryTag(entries[entry])};
    ReadResult values = record.readOnly(entry);
    if (auto *error = std::get_if<LoadError>(&values))
        return std::move(*error);
    setProgress(10);
    letEventsRun();
    LoadOptions analysis;
    analysis.progress = [this](double done) {
        setProgress(10 + 20 * done);
        letEventsRun();
    };
    followload(analysis);
    return analyseRecord(std::get<Record>(std::move(values)), path, analysis);
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
    Label9->setText(QString::fromStdString(record.station));
    Label10->setText(QString::fromStdString(record.channel));
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
        setProgress(30 + 70 * plotFraction(plotVertexSample(static_cast<int64_t>(last), step), count));
        letEventsRun();
    }
    setHourglass(hadHourglass);
}

// "EHZ, from 2024-03-01 10:00:00.000000 UTC, 3000 samples (30 s)".
QString MainWindow::entryText(const RecordEntry &entry)
{
    QString text = QString::fromStdString(entryLabel(entry));
    if (entry.problem)
        return text + QStringLiteral(", which cannot be read");
    if (entry.info.startTime)
        text += QStringLiteral(", from ") + QString::fromStdString(timeText(*entry.info.startTime));
    const double seconds = static_cast<double>(entry.sampleCount) / entry.info.sampleRate;
    return text + QStringLiteral(", %1 samples (%2 s)").arg(entry.sampleCount).arg(QString::fromStdString(shortestText(seconds)));
}

// A list, the entry offered first selected.
std::optional<int> MainWindow::chooseChannelByDialog(const QStringList &choices, int offered)
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Channel"));
    dialog.setLabelText(QStringLiteral("%1 holds several channels or pieces. Open:").arg(QFileInfo(Label2->text()).fileName()));
    dialog.setComboBoxItems(choices);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setTextValue(choices.value(offered));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const int index = static_cast<int>(choices.indexOf(dialog.textValue()));
    return index >= 0 ? std::optional<int>(index) : std::nullopt;
}
