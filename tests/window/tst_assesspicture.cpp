// The assessment pictures: pixels where the figures put them, and a PDF of
// an hour's record that stays small.
#include "views/assessstrips.h"
#include "window/assesspicture.h"

#include <QtTest>

#include <cmath>
#include <cstdlib>

namespace {

constexpr double rate = 250;

// An hour of three components: faint noise, and at 30 minutes a 1.5 s burst
// of each (Z 12 Hz 2 mm/s, N 6 Hz 6 mm/s, E 30 Hz 4 mm/s).
AssessEvent hourOfThreeComponents()
{
    const double hz[3] = {12, 6, 30}, mmps[3] = {2, 6, 4};
    std::array<std::vector<float>, 3> s;
    uint32_t noise = 1;
    for (int k = 0; k < 3; ++k) {
        s[k].resize(static_cast<std::size_t>(3600 * rate));
        for (float &v : s[k]) {
            noise = noise * 1664525u + 1013904223u;
            v = 2e-5f * (static_cast<float>(noise >> 8) / 16777216.0f - 0.5f);
        }
        const auto from = static_cast<std::size_t>(1800 * rate);
        for (std::size_t i = 0; i < static_cast<std::size_t>(1.5 * rate); ++i) {
            const double t = static_cast<double>(i) / rate, rise = std::sin(M_PI * t / 1.5);
            s[k][from + i] += static_cast<float>(mmps[k] / 1000 * rise * rise * std::sin(2 * M_PI * hz[k] * t));
        }
    }
    StructureOptions options;
    options.keepTrace = true;
    const std::optional<int64_t> start = 1714780795000000;   // 2024-05-03 23:59:55 UTC
    return structureEvent("GE.STA.00", {{"HHZ", rate, start, 0}, {"HHN", rate, start, 0}, {"HHE", rate, start, 0}},
                          assessStructureSet({s[0], s[1], s[2]}, rate, options), options);
}

// A coordinate read back through two labelled grid marks, and the other way.
double readBack(const std::vector<AxisMark> &marks, double at)
{
    const AxisMark &a = marks.front(), &b = marks.back();
    const double va = std::strtod(a.label.c_str(), nullptr), vb = std::strtod(b.label.c_str(), nullptr);
    return va + (at - a.at) / (b.at - a.at) * (vb - va);
}
double placeOf(const std::vector<AxisMark> &marks, double value)
{
    const AxisMark &a = marks.front(), &b = marks.back();
    const double va = std::strtod(a.label.c_str(), nullptr), vb = std::strtod(b.label.c_str(), nullptr);
    return a.at + (value - va) / (vb - va) * (b.at - a.at);
}

bool near(QRgb pixel, QColor colour, int tolerance = 40)
{
    return std::abs(qRed(pixel) - colour.red()) < tolerance && std::abs(qGreen(pixel) - colour.green()) < tolerance &&
           std::abs(qBlue(pixel) - colour.blue()) < tolerance;
}

// An image at `ratio` with `paint(painter, font)` drawn into it in the
// pictures' font.
template <class Paint>
QImage drawn(QSize size, qreal ratio, Paint paint)
{
    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(assessPictureFont());
    paint(painter, fontUnits(painter.fontMetrics()));
    return image;
}

} // namespace

class AssessPictureTest : public QObject {
    Q_OBJECT

    AssessEvent hour;

private slots:
    void initTestCase() { hour = hourOfThreeComponents(); }

    // The exceeded N point in its colour at its frequency and peak on a
    // linear axis; the dwellings line through 10 mm/s at 30 Hz.
    void chartPutsPointsAndLineOnItsScales()
    {
        const QRectF rect(0, 0, 800, 400);
        const StructureChart chart = structureChart(hour);
        ChartGeometry g;
        const QImage image = drawn(rect.size().toSize(), 2, [&](QPainter &painter, const FontUnits &font) {
            g = chartGeometry(chart, {0, 0, 800, 400}, font, ".");
            paintStructureChart(painter, rect, chart, ".");
        });
        const StructureResult &n = hour.components[1].structure;
        QCOMPARE(n.verdict, Verdict::Exceeded);
        const QPoint point(std::lround(2 * placeOf(g.frame.x, *n.frequencyUsed)),
                           std::lround(2 * placeOf(g.frame.y, n.ppv)));
        QVERIFY2(near(image.pixel(point), QColor(0xd5, 0x5e, 0x00)), qPrintable(QColor(image.pixel(point)).name()));
        const QPoint line(std::lround(2 * placeOf(g.frame.x, 30)), std::lround(2 * placeOf(g.frame.y, 10)));
        QVERIFY(near(image.pixel(line), QColor(0x20, 0x20, 0x20), 60));
        QVERIFY(!near(image.pixel(line + QPoint(0, 8)), QColor(0x20, 0x20, 0x20), 60));
        QVERIFY(!near(image.pixel(line - QPoint(0, 8)), QColor(0x20, 0x20, 0x20), 60));
    }

    // An hour across 900 columns: the 1.5 s burst's envelope still reaches
    // the row of its peak, and no further.
    void stripEnvelopeReachesThePeak()
    {
        const QRectF rect(0, 0, 900, 420);
        WaveStrips strips;
        const QImage image = drawn(rect.size().toSize(), 1, [&](QPainter &painter, const FontUnits &font) {
            strips = waveStrips(hour, {0, 0, 900, 420}, font, columnsPerUnit(painter), ".");
            paintWaveStrips(painter, rect, hour, ".");
        });
        const AxisFrame &frame = strips.strips[1].frame;
        const StructureResult &n = hour.components[1].structure;
        const double peakValue = n.trace[static_cast<std::size_t>(n.ppvIndex)];
        const double x = frame.plot.left + static_cast<double>(n.ppvIndex) / static_cast<double>(n.trace.size()) *
                                               (frame.plot.right - frame.plot.left);
        const double row = placeOf(frame.y, peakValue);
        QVERIFY(std::abs(readBack(frame.y, row) - peakValue) < 1e-9);
        // The extreme pixel tinted by the blue trace around the peak's
        // column (its antialiased tip is pale).
        double extreme = peakValue < 0 ? -1e9 : 1e9;
        for (int column = std::lround(x) - 1; column <= std::lround(x) + 1; ++column)
            for (int y = std::lround(frame.plot.top) + 1; y < std::lround(frame.plot.bottom); ++y)
                if (qBlue(image.pixel(column, y)) - qRed(image.pixel(column, y)) > 40)
                    extreme = peakValue < 0 ? std::max<double>(extreme, y) : std::min<double>(extreme, y);
        QVERIFY2(std::abs(extreme - row) <= 1.5, qPrintable(QStringLiteral("%1 against %2").arg(extreme).arg(row)));
    }

    // As vectors, an envelope at print resolution: an A4 page of an hour at
    // 250 samples/s (2.7 million samples) stays small.
    void hourRecordPdfStaysUnder300kB()
    {
        const QByteArray pdf = assessPicturePdf(hour, QSizeF(595, 842), QStringLiteral("GE.STA.00"), ".");
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY2(pdf.size() < 300 * 1024, qPrintable(QString::number(pdf.size())));
    }
};

QTEST_MAIN(AssessPictureTest)
#include "tst_assesspicture.moc"
