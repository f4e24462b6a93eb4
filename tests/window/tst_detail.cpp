#include "testrecord.h"
#include "window/detailwindow.h"
#include "window/mainwindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <cmath>

namespace {

const QRgb black = qRgb(0, 0, 0);
const QRgb red = qRgb(255, 0, 0);

// A day at 20 samples/s: faint noise, a single-sample spike of 2 mm/s at
// sample 1,000,001 that the main window's every-ninth-sample picture
// misses, and three 5 Hz bursts of 1 mm/s.
constexpr int dayCount = 86400 * 20;
constexpr int spikeSample = 1000001;

std::vector<double> dayRecord()
{
    std::vector<double> values(dayCount);
    for (int i = 1; i <= dayCount; ++i) {
        double v = 1e-6 * std::sin(i * 1.7) * std::cos(i * 0.031);
        for (const int at : {20000, 600000, 1500000})
            if (i >= at && i < at + 40)
                v += 1e-3 * std::sin((i - at) * M_PI / 40) * std::sin(2 * M_PI * 5 * i / 20.0);
        values[i - 1] = v;
    }
    values[spikeSample - 1] = 2e-3;
    return values;
}

// The first row from the top holding a black pixel in column x.
int topBlack(const QImage &image, int x)
{
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == black)
            return y;
    return -1;
}

} // namespace

class DetailTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString day, small;

    // Shift+drag (or a plain drag) in a detail view between the pixels of
    // two samples.
    static void dragIn(DetailWindow &d, int32_t from, int32_t to, int32_t count, Qt::KeyboardModifiers keys)
    {
        const double width = d.waveView->width();
        const auto at = [&](int32_t sample) {
            int x = static_cast<int>(xOfSample(d.shown(), sample, width));
            while (sampleAtX(d.shown(), x, width, count) < sample)
                ++x;
            return QPoint(x, 30);
        };
        QTest::mousePress(d.waveView, Qt::LeftButton, keys, at(from));
        QTest::mouseMove(d.waveView, (at(from) + at(to)) / 2);
        QTest::mouseRelease(d.waveView, Qt::LeftButton, keys, at(to));
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        day = writeRecord(dir, "day.psn", dayRecord(), 20);
        small = writeRecord(dir, "spikes.psn", spikes(994, {{400, 0.001}, {800, -0.003}}));
    }

    void zoomedToTheSpikeItsPeakIsDrawnAtItsHeight()
    {
        auto w = openWindow(day);
        w->opendetail();
        DetailWindow &d = *w->detailwindow();
        d.resize(1400, 600);
        QCOMPARE(d.windowTitle(), QStringLiteral("Detail \u2014 ABC Z"));
        // The whole day: the spike's column reaches the top, as no column of
        // the main window's picture does.
        const QImage whole = d.waveView->image();
        const int column = static_cast<int>(xOfSample(d.shown(), spikeSample, whole.width()));
        const int rows = whole.height();
        const int top = qRound(rows / 2.0 - rows / 2.0 / 1.05);   // the largest sample 1/20 under the top
        QVERIFY(std::abs(topBlack(whole, column) - top) <= 1);
        const QImage main = w->Picture1->image();
        const int mainColumn = spikeSample * main.width() / dayCount;
        for (int x = mainColumn - 2; x <= mainColumn + 2; ++x)
            QVERIFY(topBlack(main, x) > main.height() / 4);

        // Zoomed to 60 samples about it, with the wheel at its column.
        while (d.shown().span > 60) {
            const QPoint at(qRound(xOfSample(d.shown(), spikeSample, d.waveView->width())), 30);
            QWheelEvent wheel(at, d.waveView->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                              false);
            QCoreApplication::sendEvent(d.waveView, &wheel);
        }
        const QImage near = d.waveView->image();
        const int x = static_cast<int>(xOfSample(d.shown(), spikeSample, near.width()));
        QVERIFY(std::abs(topBlack(near, x) - qRound(near.height() / 2.0 - near.height() / 2.0 / 1.05)) <= 1);
        QVERIFY(std::abs(d.waveFullScale() - 2e-3 * 1.05) < 1e-6);
        // Home shows the whole record again.
        QTest::keyClick(d.waveView, Qt::Key_Home);
        QCOMPARE(d.shown().span, double(dayCount));
    }

    void openedBeforeALoadItFollowsTheRecordAndSavesItsPicture()
    {
        MainWindow w;
        w.showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
        w.opendetail();
        DetailWindow &d = *w.detailwindow();
        QTest::keyClick(d.waveView, Qt::Key_Plus);   // nothing to zoom, nothing breaks
        const QImage blank = d.waveView->image();
        QVERIFY(w.loadfile(small));
        QCOMPARE(d.windowTitle(), QStringLiteral("Detail \u2014 ABC Z"));
        QCOMPARE(d.shown().span, 994.0);
        QVERIFY(d.waveView->image() != blank);
        const QString png = dir.filePath("detail.png"), pdf = dir.filePath("detail.pdf");
        for (const QString &name : {png, pdf}) {
            d.choosePictureFile = [&](const QString &) { return name; };
            d.savepicture();
        }
        QCOMPARE(QImage(png).size(), d.size() * 2);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
    }

    void listHoldsTheRunsOfTheLevelsAboveTheThreshold()
    {
        auto w = openWindow(day);
        // The level view is never enabled; its double click opens the window.
        QTest::mouseDClick(w->Picture3, Qt::LeftButton, {}, QPoint(100, 50));
        QVERIFY(w->detailwindow() && w->detailwindow()->isVisible());
        DetailWindow &d = *w->detailwindow();
        const std::vector<float> &level = w->session().slowLevel;
        std::vector<std::pair<int, int>> runs;
        for (int i = 1; i <= dayCount; ++i)
            if (level[i] > 71) {
                if (runs.empty() || runs.back().second != i - 1)
                    runs.emplace_back(i, i);
                runs.back().second = i;
            }
        QCOMPARE(runs.size(), size_t(4));   // three bursts and the spike
        QAbstractItemModel *model = d.exceedanceList->model();
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(model->index(1, 0).data().toString().toDouble(), (runs[1].first - 1) / 20.0);   // seconds
        // A click zooms to the exceedance; activating it selects it.
        d.exceedanceList->setCurrentIndex(model->index(2, 0));
        QCOMPARE(d.shown().first, spanAround(runs[2].first, runs[2].second, dayCount).first);
        emit d.exceedanceList->activated(model->index(2, 0));
        QCOMPARE(w->session().startSample, runs[2].first);
        QCOMPARE(w->session().endSample, runs[2].second);
        QCOMPARE(w->Ss->text(), QStringLiteral(" %1").arg(runs[2].first));
    }

    void shiftDragSelectsExactlyAsADragInTheWaveformView()
    {
        auto byDetail = openWindow(small);
        auto byMain = openWindow(small);
        for (MainWindow *w : {byDetail.get(), byMain.get()}) {
            w->Command1->click();
            QVERIFY(w->Command5->isEnabled());
        }
        // The main window's drag from column 150 to 250 picks samples 300..500.
        QTest::mousePress(byMain->Picture1, Qt::LeftButton, {}, QPoint(150, 20));
        QTest::mouseRelease(byMain->Picture1, Qt::LeftButton, {}, QPoint(250, 20));
        byDetail->opendetail();
        DetailWindow &d = *byDetail->detailwindow();
        d.resize(1200, 500);
        dragIn(d, 300, 700, 994, {});   // a plain drag moves nothing in the whole record
        QVERIFY(!byDetail->session().hasSegment);
        QCOMPARE(d.shown().first, 0.0);
        QTest::keyClick(d.waveView, Qt::Key_Plus);   // 497 samples, under a pixel each
        QCOMPARE(d.shown().span, 497.0);
        dragIn(d, 300, 500, 994, Qt::ShiftModifier);
        QCOMPARE(byDetail->Ss->text(), byMain->Ss->text());
        QCOMPARE(byDetail->Es->text(), byMain->Es->text());
        QCOMPARE(byDetail->MaxPeak->text(), byMain->MaxPeak->text());
        QCOMPARE(byDetail->RMS->text(), byMain->RMS->text());
        QCOMPARE(byDetail->Law->text(), byMain->Law->text());
        QCOMPARE(byDetail->Picture1->image(), byMain->Picture1->image());
        QCOMPARE(byDetail->Picture2->image(), byMain->Picture2->image());
        QVERIFY(!byDetail->Command5->isEnabled());

        // A selection made in the main window shows in the detail view.
        QTest::keyClick(d.waveView, Qt::Key_Home);
        const QImage before = d.waveView->image();
        QTest::mousePress(byDetail->Picture1, Qt::LeftButton, {}, QPoint(350, 20));
        QTest::mouseRelease(byDetail->Picture1, Qt::LeftButton, {}, QPoint(450, 20));
        const QImage after = d.waveView->image();
        const int inside = static_cast<int>(xOfSample(d.shown(), 800, after.width()));
        const int outside = static_cast<int>(xOfSample(d.shown(), 500, after.width()));
        QCOMPARE(after.pixel(inside, 2), red);
        QVERIFY(after.pixel(outside, 2) != red);
        QVERIFY(before.pixel(inside, 2) != red);
    }
};

QTEST_MAIN(DetailTest)
#include "tst_detail.moc"
