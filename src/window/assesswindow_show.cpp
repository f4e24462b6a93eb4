// What the assessment window shows of its figures: the views, the list of
// files, the table, the verdicts, the state of its work and the figures of
// the chart's point under the pointer.
#include "window/assesswindow.h"

#include "views/assesstext.h"
#include "window/assesspicture.h"
#include "window/assessview.h"

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolTip>

#include <cmath>

namespace {

QString qText(const std::string &text)
{
    return QString::fromStdString(text);
}

// A number with `places` decimals and the locale's separator; empty for none.
QString number(std::optional<double> value, int places, const QString &separator)
{
    if (!value || !std::isfinite(*value))
        return {};
    QString text = QString::number(*value, 'f', places);
    return text.replace(QLatin1Char('.'), separator);
}

// The time of day in UTC of `seconds` after the first sample assessed, or
// seconds from the record's start when it has no time.
QString timeOf(const EventChannel &channel, double seconds, const QString &separator)
{
    if (!channel.startMicros)
        return number(channel.startSeconds + seconds, 3, separator) + QStringLiteral(" s");
    const int64_t micros = *channel.startMicros + std::llround(seconds * 1e6);
    const int64_t day = 86'400'000'000;
    const int64_t ofDay = ((micros % day) + day) % day;
    const int64_t ms = ofDay / 1000;
    return QStringLiteral("%1:%2:%3%4%5")
        .arg(ms / 3'600'000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60'000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(separator)
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString verdictText(Verdict verdict)
{
    const std::string_view word = optionName(verdict);
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
}

void setRow(QTableWidget *table, int row, const QStringList &texts)
{
    for (int column = 0; column < texts.size(); ++column) {
        auto *item = new QTableWidgetItem(texts[column]);
        if (column > 0)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
}

} // namespace

QString AssessWindow::separator() const
{
    return QLocale().decimalPoint();
}

void AssessWindow::showFigures()
{
    const std::string sep = separator().toStdString();
    if (const std::shared_ptr<const AssessFigures> f = shown; f && !f->error) {
        stripView->setPaint([f, sep](QPainter &p, const QRectF &r) { paintWaveStrips(p, r, f->structure, sep); });
        chartView->setPaint([f, sep](QPainter &p, const QRectF &r) {
            paintStructureChart(p, r, structureChart(f->structure), sep);
        });
        if (f->peopleError)
            traceView->setPaint({});
        else
            traceView->setPaint([f, sep](QPainter &p, const QRectF &r) { paintPeopleTraces(p, r, f->people, sep); });
    } else {
        for (AssessView *view : {stripView, chartView, traceView})
            view->setPaint({});
    }
    showList();
    showTable();
    showVerdicts();
    showState();
}

// Each file assessed with the channels it gives; the record's own first,
// which cannot be dropped.
void AssessWindow::showList()
{
    componentList->clear();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        QStringList channels;
        if (shown && shownListed == listed)
            for (std::size_t k = 0; k < shown->members.size(); ++k)
                if (shown->members[k].file == i)
                    channels << qText(shown->channels[k]);
        const QString name = QFileInfo(QFile::decodeName(listed[i].c_str())).fileName();
        auto *item = new QListWidgetItem(
            channels.isEmpty() ? name : name + QStringLiteral(" \u2014 ") + channels.join(QStringLiteral(", ")));
        item->setData(Qt::UserRole, static_cast<int>(i));
        item->setToolTip(QFile::decodeName(listed[i].c_str()));
        componentList->addItem(item);
    }
}

void AssessWindow::showTable()
{
    table->setRowCount(0);
    if (!shown || shown->error)
        return;
    const QString sep = separator();
    const AssessEvent &structure = shown->structure;
    const int count = static_cast<int>(structure.components.size());
    table->setRowCount(count + (count == 3 ? 1 : 0));
    for (int k = 0; k < count; ++k) {
        const EventComponent &c = structure.components[static_cast<std::size_t>(k)];
        const StructureResult &s = c.structure;
        QStringList texts{qText(c.channel.channel), number(s.ppv, 2, sep), timeOf(c.channel, s.ppvTime, sep),
                          number(s.frequencyZeroCrossing, 1, sep), number(s.frequencySpectrum, 1, sep),
                          number(s.frequencyUsed, 1, sep), number(s.limit, 2, sep),
                          s.ratio ? number(*s.ratio * 100, 0, sep) + QStringLiteral(" %") : QString(),
                          verdictText(s.verdict)};
        if (!shown->peopleError && static_cast<std::size_t>(k) < shown->people.components.size())
            if (const std::optional<PeopleResult> &p = shown->people.components[static_cast<std::size_t>(k)].people)
                texts << number(p->kbFmax, 3, sep) << number(p->kbFTm, 3, sep) << number(p->kbFTr, 3, sep)
                      << verdictText(p->verdict);
        setRow(table, k, texts);
    }
    if (count == 3 && structure.vectorSum) {
        const EventChannel &first = structure.components[0].channel;
        QStringList texts{QStringLiteral("Set, vector sum"), number(structure.vectorSum->pvs, 2, sep),
                          timeOf(first, static_cast<double>(structure.vectorSum->index) / first.rate, sep),
                          {}, {}, {}, {}, {}, verdictText(structure.verdict)};
        if (!shown->peopleError)
            texts << QString() << QString() << QString() << verdictText(shown->people.verdict);
        setRow(table, count, texts);
    }
    // Every row shown, with the scroll bar a narrow window needs.
    table->resizeRowsToContents();
    const QScrollBar *bar = table->horizontalScrollBar();
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + table->verticalHeader()->length() +
                          2 * table->frameWidth() + (bar->isVisible() ? bar->sizeHint().height() : 0));
}

void AssessWindow::showVerdicts()
{
    const std::string sep = separator().toStdString();
    QStringList notes;
    if (!shown) {
        verdictLabel->setText(problem);
        peopleLabel->clear();
    } else if (shown->error) {
        verdictLabel->setText(QStringLiteral("Not assessed: ") + qText(*shown->error));
        peopleLabel->clear();
    } else {
        verdictLabel->setText(qText(verdictSentence(shown->structure, sep)));
        peopleLabel->setText(shown->peopleError
                                 ? QStringLiteral("DIN 4150-2 not assessed: ") + qText(*shown->peopleError)
                                 : qText(verdictSentence(shown->people, sep)));
    }
    if (shown)
        for (const std::string &note : shown->notes)
            notes << qText(note);
    notesLabel->setText(notes.join(QLatin1Char('\n')));
    notesLabel->setVisible(!notes.isEmpty());
}

void AssessWindow::showState()
{
    const bool busy = isBusy();
    QString text;
    if (stage == Stage::ownFile)
        text = QStringLiteral("Looking into the record's file\u2026");
    else if (stage == Stage::folder)
        text = QStringLiteral("Looking through the folder: %1 of %2 files\u2026").arg(folderDone).arg(folder.size());
    else if (stage == Stage::reading)
        text = QStringLiteral("Reading the components\u2026");
    else if (busy)
        text = QStringLiteral("Computing\u2026");
    statusLabel->setText(text);
    const bool current = shown && !shown->error && !busy;
    for (QPushButton *button : {copyButton, copyPeopleButton, savePictureButton})
        button->setEnabled(current);
    copyPeopleButton->setEnabled(current && !shown->peopleError);
    addButton->setEnabled(stage == Stage::done);
    const int row = componentList->currentRow();
    dropButton->setEnabled(stage == Stage::done && row > 0);
    for (AssessView *view : {stripView, chartView, traceView})
        view->setStale(busy && shown);
}

QString AssessWindow::chartTipAt(QPointF at) const
{
    if (!shown || shown->error)
        return {};
    const std::string sep = separator().toStdString();
    const StructureChart chart = structureChart(shown->structure);
    const std::optional<std::size_t> point =
        structureChartPointAt(QRectF(chartView->rect()), QFontMetricsF(chartView->font()), chart, at, sep);
    if (!point)
        return {};
    // The chart's points are the components with a frequency used, in order.
    std::size_t k = 0;
    for (std::size_t seen = 0; k < shown->structure.components.size(); ++k)
        if (shown->structure.components[k].structure.frequencyUsed && seen++ == *point)
            break;
    const EventComponent &c = shown->structure.components[k];
    const StructureResult &s = c.structure;
    const QString comma = separator();
    const std::string_view method = optionName(s.frequencyMethod);
    return QStringLiteral("%1: %2 mm/s at %3 Hz (%4)\nguideline %5 mm/s, %6 %, %7")
        .arg(qText(c.channel.channel), number(s.ppv, 2, comma), number(s.frequencyUsed, 1, comma),
             QString::fromUtf8(method.data(), static_cast<qsizetype>(method.size())), number(s.limit, 2, comma),
             s.ratio ? number(*s.ratio * 100, 0, comma) : QStringLiteral("\u2013"), verdictText(s.verdict));
}

void AssessWindow::showChartTip(QPointF at, bool inside)
{
    const QString tip = inside ? chartTipAt(at) : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(chartView->mapToGlobal(at.toPoint()), tip, chartView);
}
