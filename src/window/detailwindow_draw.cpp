// The detail window's drawing and its exceedance list.
#include "window/detailwindow.h"

#include "analysis/levels.h"
#include "views/plotaxis.h"
#include "views/recorddetail.h"
#include "window/exceedancemodel.h"
#include "window/mainwindow.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor black(0, 0, 0);
const QColor blue(0, 0, 255);
const QColor green(0, 255, 0);
const QColor darkGreen(0, 160, 0);
const QColor grey(200, 200, 200);
const QColor bandColour(0, 255, 255);

// The level view's scale, as the main window's: 0 dB at the bottom edge,
// 110 dB at the top.
constexpr double levelTop = 110;

// Marks are put about this many layout pixels apart.
constexpr int markSpacing = 45;

// Values far outside a view (a silent lead-in's minus infinity) are held
// this many view heights away.
constexpr double outside = 3;

int pixelsOf(int length, qreal ratio)
{
    return static_cast<int>(std::ceil(length * ratio));
}

} // namespace

void DetailWindow::createList()
{
    exceedanceModel = new ExceedanceModel(main, this);
    listTitle = new QLabel(QStringLiteral("Exceedances of %1 dB").arg(perceptionThreshold), this);
    exceedanceList = new QTableView(this);
    exceedanceList->setModel(exceedanceModel);
    exceedanceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    exceedanceList->setSelectionMode(QAbstractItemView::SingleSelection);
    exceedanceList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    exceedanceList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    exceedanceList->verticalHeader()->setDefaultSectionSize(exceedanceList->fontMetrics().height() + 6);
    exceedanceList->setMinimumWidth(300);
    auto *column = new QVBoxLayout;
    column->addWidget(listTitle);
    column->addWidget(exceedanceList);
    static_cast<QGridLayout *>(layout())->addLayout(column, 0, 2, 3, 1);
    connect(exceedanceList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { zoomToExceedance(current.row()); });
    connect(exceedanceList, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { selectExceedance(index.row()); });
}

void DetailWindow::zoomToExceedance(int row)
{
    if (const Exceedance *e = exceedanceModel->at(row))
        showSpan(spanAround(e->first, e->last, main.session().sampleCount));
}

void DetailWindow::selectExceedance(int row)
{
    if (const Exceedance *e = exceedanceModel->at(row))
        main.dragsegment(e->first, e->last);
}

void DetailWindow::redraw()
{
    const int columns = pixelsOf(waveView->width(), waveView->pixelRatio());
    const int rows = pixelsOf(waveView->height(), waveView->pixelRatio());
    const int levelRows = pixelsOf(levelView->height(), levelView->pixelRatio());
    waveView->cls();
    levelView->cls();
    waveView->setScale(0, 0, columns, rows);
    levelView->setScale(0, 0, pixelsOf(levelView->width(), levelView->pixelRatio()), levelRows);
    if (!detail() || columns == 0) {
        for (AxisStrip *axis : {waveAxis, levelAxis, timeAxis})
            axis->setMarks({});
        return;
    }
    drawWave(columns, rows);
    drawLevel(columns, levelRows);
    drawSegmentBand(waveView, columns, rows);
    drawSegmentBand(levelView, columns, levelRows);
    drawAxes();
}

// Scaled to the largest sample in view, a twentieth of the height spare.
void DetailWindow::drawWave(int columns, int rows)
{
    const Session &s = main.session();
    const float *values = s.samples.data() + 1;
    const bool envelope = span.span >= columns;
    std::vector<ValueRange> ranges;
    double peak = 0;
    if (envelope) {
        ranges = columnRanges(values, s.sampleCount, detail()->samples, span, columns);
        for (const ValueRange &r : ranges)
            if (!r.empty())
                peak = std::max({peak, std::abs(static_cast<double>(r.low)), std::abs(static_cast<double>(r.high))});
    } else {
        const int64_t from = std::max<int64_t>(0, static_cast<int64_t>(std::floor(span.first)) - 1);
        const int64_t to = std::min<int64_t>(s.sampleCount, static_cast<int64_t>(std::ceil(span.first + span.span)) + 2);
        for (int64_t j = from; j < to; ++j)
            peak = std::max(peak, std::abs(static_cast<double>(values[j])));
    }
    fullScale = peak > 0 ? peak * 1.05 : 1e-6;
    const double offset = rows / 2.0, scale = -rows / 2.0 / fullScale;
    waveView->line({0, static_cast<float>(offset), static_cast<float>(columns), static_cast<float>(offset)}, grey);
    if (envelope) {
        waveView->lines(columnLines(ranges, offset, scale, outside * rows), black);
        return;
    }
    const std::vector<PlotPoint> points =
        samplePolyline(values, s.sampleCount, span, columns, offset, scale, outside * rows);
    waveView->polyline(points.data(), points.size(), black);
    // Single samples show as points where they lie four pixels apart.
    if (columns / span.span >= 4)
        for (const PlotPoint &p : points)
            waveView->box({p.x - 1.0, p.y - 1.0, p.x + 1.0, p.y + 1.0}, black);
}

void DetailWindow::drawLevel(int columns, int rows)
{
    const Session &s = main.session();
    const float *levels = s.slowLevel.data() + 1;
    const double offset = rows, scale = -rows / levelTop;
    const float threshold = static_cast<float>(offset + perceptionThreshold * scale);
    levelView->line({0, threshold, static_cast<float>(columns), threshold}, green);
    if (span.span >= columns) {
        levelView->lines(columnLines(columnRanges(levels, s.sampleCount, detail()->levels, span, columns), offset,
                                     scale, outside * rows),
                         blue);
        return;
    }
    const std::vector<PlotPoint> points =
        samplePolyline(levels, s.sampleCount, span, columns, offset, scale, outside * rows);
    levelView->polyline(points.data(), points.size(), blue);
}

// The main window's segment, as the band its waveform view shows.
void DetailWindow::drawSegmentBand(PictureView *view, int columns, int rows)
{
    const Session &s = main.session();
    if (!s.hasSegment)
        return;
    const double from = std::clamp(xOfSample(span, s.startSample, columns), -1.0, columns + 1.0);
    const double to = std::clamp(xOfSample(span, s.endSample, columns), -1.0, columns + 1.0);
    view->setDrawMode(PictureView::XorPen);
    view->box({from, 0, to, static_cast<double>(rows)}, bandColour);
    view->setDrawMode(PictureView::CopyPen);
}

// Marks in layout pixels, as the strips beside and under the views draw.
void DetailWindow::drawAxes()
{
    const std::string separator = QLocale().decimalPoint().toStdString();
    const auto marksOf = [](const std::vector<Tick> &ticks, const auto &place, QColor colour) {
        std::vector<AxisStrip::Mark> marks;
        for (const Tick &t : ticks)
            marks.push_back({place(t.value), QString::fromStdString(t.label), QString::fromStdString(t.date), colour});
        return marks;
    };
    const double full = fullScale * 1e6;   // µm/s
    const double waveHeight = waveView->height();
    waveAxis->setMarks(marksOf(valueTicks(-full, full, waveView->height() / markSpacing, separator),
                               [&](double v) { return waveHeight / 2 * (1 - v / full); }, black));
    const double levelHeight = levelView->height();
    std::vector<AxisStrip::Mark> levelMarks =
        marksOf(valueTicks(0, levelTop, levelView->height() / markSpacing, separator),
                [&](double v) { return levelHeight * (1 - v / levelTop); }, black);
    levelMarks.push_back({levelHeight * (1 - perceptionThreshold / levelTop),
                          QString::number(perceptionThreshold), QString(), darkGreen});
    levelAxis->setMarks(std::move(levelMarks));
    const RecordDetail *d = detail();
    const int32_t rate = main.session().sampleRate;
    const double width = waveView->width();
    timeAxis->setTitle(d->startTime ? QStringLiteral("UTC") : QStringLiteral("Seconds from the start"));
    timeAxis->setMarks(marksOf(timeTicks(span.first / rate, (span.first + span.span) / rate, d->startTime,
                                         static_cast<int>(width / (2.5 * markSpacing)), separator),
                               [&](double t) { return (t * rate - span.first) / span.span * width; }, black));
}
