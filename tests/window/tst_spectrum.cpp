#include "testrecord.h"
#include "window/mainwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <cmath>

// A point of the window's background that no control covers.
constexpr QPoint background(300, 44);

class SpectrumTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString sine, quiet;
    std::unique_ptr<MainWindow> w;

    void open(const QString &path) { w = openWindow(path); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        // 1000 um/s at 100 cycles per 2048 samples: line 100, 4.88 Hz at 100 samples/s.
        std::vector<double> values(4096);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = 0.001 * std::cos(2 * M_PI * 100 * double(i + 1) / 2048);
        sine = writeRecord(dir, "sine.psn", values);
        // 2100 zeros, then +-0.5 in pairs, so the mean is exactly 0.
        std::vector<double> zeros(2200, 0.0);
        for (size_t i = 2100; i < zeros.size(); ++i)
            zeros[i] = i % 2 ? 0.5 : -0.5;
        quiet = writeRecord(dir, "quiet.psn", zeros);
    }

    void computeShowsTheLargestLine()
    {
        open(sine);
        w->Command1_Click();
        QCOMPARE(w->Fmax->text(), QStringLiteral("4.88"));
        // 0.25 / 0.426 of the amplitude.
        QVERIFY(std::abs(w->Label14->text().toDouble() - 586.85) < 1);
        QVERIFY(w->freq->text().isEmpty());
        QVERIFY(w->value->text().isEmpty());
        QCOMPARE(w->session().cursorShown, false);
    }

    void cursorReadsFrequencyAndValue()
    {
        open(sine);
        w->Command1_Click();
        w->HScroll1->setValue(1023);
        QCOMPARE(w->freq->text(), QStringLiteral("49.95"));
        w->HScroll1->setValue(100);
        QCOMPARE(w->freq->text(), QStringLiteral("4.88"));
        QCOMPARE(w->value->text(), w->Label14->text());
        // Pixel 100 of 497 is x = 206.04, line 206.
        QTest::mouseClick(w->Picture2, Qt::LeftButton, {}, QPoint(100, 75));
        QCOMPARE(w->HScroll1->value(), 206);
        QCOMPARE(w->freq->text(), QStringLiteral("10.06"));
        QTest::mousePress(w->Picture2, Qt::LeftButton, {}, QPoint(100, 75));
        QTest::mouseMove(w->Picture2, QPoint(600, 75));
        QCOMPARE(w->HScroll1->value(), 1023);
        QTest::mouseRelease(w->Picture2, Qt::LeftButton, {}, QPoint(600, 75));
        // Any button places the cursor; only the left one drags it.
        QTest::mousePress(w->Picture2, Qt::RightButton, {}, QPoint(50, 75));
        QCOMPARE(w->HScroll1->value(), 103);
        QTest::mouseMove(w->Picture2, QPoint(200, 75));
        QCOMPARE(w->HScroll1->value(), 103);
        QTest::mouseRelease(w->Picture2, Qt::RightButton, {}, QPoint(200, 75));
    }

    // Right goes to higher frequencies and Left to lower ones, the way of
    // the scroll bar's own arrows.
    void arrowKeysMoveTheCursorTheWayOfTheArrows()
    {
        open(sine);
        w->Command1_Click();
        w->HScroll1->setValue(100);
        QTest::keyClick(w->HScroll1, Qt::Key_Right);
        QCOMPARE(w->HScroll1->value(), 101);
        QCOMPARE(w->freq->text(), QStringLiteral("4.93"));
        QTest::keyClick(w->HScroll1, Qt::Key_Left);
        QTest::keyClick(w->HScroll1, Qt::Key_Left);
        QCOMPARE(w->HScroll1->value(), 99);
        QCOMPARE(w->freq->text(), QStringLiteral("4.83"));
    }

    void cursorMovesAndBackgroundClickLeaveTheSpectrumExactly()
    {
        open(sine);
        w->Command1_Click();
        const QImage spectrum = w->Picture2->image();
        w->HScroll1->setValue(10);
        w->HScroll1->setValue(11);
        w->HScroll1->setValue(100);
        QVERIFY(w->Picture2->image() != spectrum);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, background);
        QCOMPARE(w->Picture2->image(), spectrum);
        QVERIFY(w->freq->text().isEmpty());
        w->Form_Click();
        QCOMPARE(w->Picture2->image(), spectrum);
        // Shown afresh after the click, without erasing anything first.
        w->HScroll1->setValue(50);
        w->Form_Click();
        QCOMPARE(w->Picture2->image(), spectrum);
    }

    void spectrumViewIgnoresTheMouseWhileTheCursorIsOff()
    {
        open(sine);
        const QImage blank = w->Picture2->image();
        QTest::mouseClick(w->Picture2, Qt::LeftButton, {}, QPoint(100, 75));
        QCOMPARE(w->HScroll1->value(), 0);
        QCOMPARE(w->Picture2->image(), blank);
        QVERIFY(w->freq->text().isEmpty());
    }

    void allZeroSegmentDrawsNoTick()
    {
        open(quiet);
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(10, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(300, 20));
        w->Command1_Click();
        QCOMPARE(w->Label14->text(), QStringLiteral("0."));
        QCOMPARE(w->Fmax->text(), QStringLiteral("0."));
        QVERIFY(w->HScroll1->isEnabled());
        const QImage blank = w->Picture2->image();
        w->HScroll1->setValue(512);
        QCOMPARE(w->value->text(), QStringLiteral("0."));
        // Only the vertical line, in one column.
        const QImage cursor = w->Picture2->image();
        int changedColumns = 0;
        for (int x = 0; x < cursor.width(); ++x)
            changedColumns += cursor.copy(x, 0, 1, cursor.height()) != blank.copy(x, 0, 1, blank.height());
        QCOMPARE(changedColumns, 1);
        w->Form_Click();
        QCOMPARE(w->Picture2->image(), blank);
    }

    // A press in the waveform view gives up the segment the spectrum was made
    // for, before its release, which may never come: "OK" activated from
    // the keyboard disables the view under the held button.
    void pressInTheWaveformRetiresTheSpectrum()
    {
        open(sine);
        const QImage blank = w->Picture2->image();
        w->Command1_Click();
        w->HScroll1->setValue(100);
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QVERIFY(!w->Command5->isEnabled());
        QVERIFY(!w->HScroll1->isEnabled());
        QVERIFY(!w->session().cursorShown);
        QVERIFY(w->Fmax->text().isEmpty());
        QCOMPARE(w->Picture2->image(), blank);

        w->Command1->click();
        QVERIFY(w->Command5->isEnabled());
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(300, 20));
        QVERIFY(!w->Command5->isEnabled());
        QCOMPARE(w->Picture2->image(), blank);
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(200, 20));
    }

    void secondComputeIsNotStartedWhileOneRuns()
    {
        open(sine);
        bool ran = false, waveformEnabled = true;
        QTimer::singleShot(0, w.get(), [&] {
            ran = true;
            w->Command1_Click();
            // A second run would have enabled the waveform view on return.
            waveformEnabled = w->Picture1->isEnabled();
        });
        w->Command1_Click();
        QVERIFY(ran);
        QVERIFY(!waveformEnabled);
        QVERIFY(w->Picture1->isEnabled());
    }
};

QTEST_MAIN(SpectrumTest)
#include "tst_spectrum.moc"
