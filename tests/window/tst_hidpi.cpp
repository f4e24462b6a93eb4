// The window on a screen of twice the density (run with QT_SCALE_FACTOR=2):
// the views draw at device pixels, not at layout pixels enlarged.
#include "testrecord.h"
#include "views/selection.h"
#include "window/assesswindow.h"
#include "window/assessview.h"
#include "window/mainwindow.h"

#include <QtTest>

#include <cmath>

namespace {

const QRgb green = qRgb(0, 255, 0);
const QRgb black = qRgb(0, 0, 0);
const QRgb white = qRgb(255, 255, 255);

} // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString quietSine, sine;
    std::unique_ptr<MainWindow> w;

    void open(const QString &path) { w = openWindow(path); }

private slots:
    void initTestCase()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        QLocale::setDefault(QLocale::c());
        // 100 cycles per 2048 samples: the spectrum's largest line is 100,
        // its neighbours half as high. Levels far below 71 dB.
        std::vector<double> values(4096), quiet(4096);
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = 0.001 * std::cos(2 * M_PI * 100 * double(i + 1) / 2048);
            quiet[i] = values[i] / 10000;
        }
        sine = writeRecord(dir, "sine.psn", values);
        quietSine = writeRecord(dir, "quiet.psn", quiet);
    }

    void viewsKeepTheirImageAtTheScreensRatio()
    {
        open(sine);
        for (const PictureView *view : {w->Picture1, w->Picture2, w->Picture3}) {
            QCOMPARE(view->pixelRatio(), 2.0);
            QCOMPARE(view->image().size(), view->size() * 2);
        }
    }

    // The assessment window's views as well.
    void assessViewsKeepTheirImageAtTheScreensRatio()
    {
        open(sine);
        w->openassess();
        AssessWindow *a = w->assesswindow();
        QVERIFY(QTest::qWaitFor([a] { return !a->isBusy(); }, 20000));
        QVERIFY(a->figures() && !a->figures()->error);
        for (AssessView *view : {a->stripView, a->chartView, a->traceView}) {
            QVERIFY(!view->isStale());
            QTRY_COMPARE(view->image().size(), view->size() * 2);
        }
    }

    void thresholdLineIsOneDevicePixelThickAtItsRow()
    {
        open(quietSine);
        const QImage &level = w->Picture3->image();
        // 71 dB lies 39/110 of the height from the top: row 106.36 of 300.
        const int row = static_cast<int>(39.0 / 110 * level.height());
        QCOMPARE(row, 106);
        for (int x = 0; x < level.width(); x += 7) {
            QCOMPARE(level.pixel(x, row), green);
            QVERIFY(level.pixel(x, row - 1) != green);
            QVERIFY(level.pixel(x, row + 1) != green);
        }
    }

    void spectrumLineIsOneDevicePixelWide()
    {
        open(sine);
        w->Command1_Click();
        const QImage &spectrum = w->Picture2->image();
        // Line 100 of 1024 falls in column 97.07 of 994; lines 99 and 101,
        // half as high, in the columns beside it.
        const int column = static_cast<int>(100.0 / 1024 * spectrum.width());
        QCOMPARE(column, 97);
        for (int y = 0; y < spectrum.height(); ++y)
            QCOMPARE(spectrum.pixel(column, y), black);
        for (int y = 0; y < spectrum.height() / 3; ++y) {
            QCOMPARE(spectrum.pixel(column - 1, y), white);
            QCOMPARE(spectrum.pixel(column + 1, y), white);
        }
    }

    // The band's edges fall on device columns, and drawing it again, as a
    // click does, leaves the waveform exactly as it was.
    void bandIsDrawnAtDevicePixelsAndUndrawnExactly()
    {
        open(sine);
        const QImage before = w->Picture1->image();
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseMove(w->Picture1, QPoint(380, 20));
        QTest::mouseMove(w->Picture1, QPoint(201, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(201, 20));
        const Session &s = w->session();
        QVERIFY(s.hasSegment);
        const QImage &band = w->Picture1->image();
        const double width = w->Picture1->widthTwips();
        const auto column = [&](int32_t sample) {
            return static_cast<int>(std::floor(xOfSample(sample, s.sampleCount, width) / width * band.width()));
        };
        const int first = column(s.startSample), last = column(s.endSample);
        for (int x = 0; x < band.width(); ++x) {
            const bool inside = x >= first && x <= last;
            for (int y = 0; y < band.height(); y += 5) {
                const QRgb flipped = (before.pixel(x, y) ^ 0x00ffff) | 0xff000000;
                QCOMPARE(band.pixel(x, y), inside ? flipped : before.pixel(x, y));
            }
        }
        // A click selects the whole record again and removes the band.
        QTest::mouseClick(w->Picture1, Qt::LeftButton, {}, QPoint(300, 20));
        QVERIFY(!s.hasSegment);
        QCOMPARE(w->Picture1->image(), before);
    }
};

QTEST_MAIN(HiDpiTest)
#include "tst_hidpi.moc"
