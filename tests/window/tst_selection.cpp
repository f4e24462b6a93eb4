#include "testrecord.h"
#include "window/mainwindow.h"

#include <QLineEdit>
#include <QtTest>

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb cyan = qRgb(0, 255, 255);
const QRgb black = qRgb(0, 0, 0);

// The waveform view is 497 pixels wide; with 994 samples pixel column p
// lies on sample 2p.
constexpr int samplesPerRecord = 994;

int blackRowIn(const QImage &image, int column)
{
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(column, y) == black)
            return y;
    return -1;
}

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString record;
    std::unique_ptr<MainWindow> w;

    void drag(int fromColumn, int toColumn, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(w->Picture1, button, {}, QPoint(fromColumn, 20));
        QTest::mouseMove(w->Picture1, QPoint((fromColumn + toColumn) / 2, 20));
        QTest::mouseRelease(w->Picture1, button, {}, QPoint(toColumn, 20));
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        // +1000 um/s at sample 400, -3000 um/s at sample 800; the mean
        // (-2 um/s over the record) is removed on load.
        record = writeRecord(dir, "spikes.psn",
                             spikes(samplesPerRecord, {{400, 0.001}, {800, -0.003}}));
    }

    void init()
    {
        w = std::make_unique<MainWindow>();
        w->showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
        w->Form_Load(record);
    }

    void dragSelectsSegmentAndShowsItsFigures()
    {
        QCOMPARE(w->MaxPeak->text(), QStringLiteral("2997.99"));
        drag(100, 300);
        QCOMPARE(w->Ss->text(), QStringLiteral(" 200"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 600"));
        QCOMPARE(w->session().startSample, 200);
        QCOMPARE(w->session().endSample, 600);
        QVERIFY(w->session().hasSegment);
        // Only the +1000 um/s spike lies in 200..600.
        QCOMPARE(w->MaxPeak->text(), QStringLiteral("1002.01"));
        // sqrt((1002.01^2 + 400 * 2.012^2) / 401)
        QCOMPARE(w->RMS->text(), QStringLiteral("50.08"));
    }

    void bandIsRedOverWhiteCyanOverBlackAndMatchesTheSegment()
    {
        const QImage before = w->Picture1->image();
        const int zeroRow = blackRowIn(before, 250);
        QVERIFY(zeroRow > 0);
        drag(100, 300);
        const QImage &band = w->Picture1->image();
        QCOMPARE(band.pixel(100, 5), red);
        QCOMPARE(band.pixel(300, 5), red);
        QCOMPARE(band.pixel(99, 5), white);
        QCOMPARE(band.pixel(301, 5), white);
        QCOMPARE(band.pixel(250, zeroRow), cyan);
        QCOMPARE(band.pixel(350, zeroRow), black);
    }

    void releaseLeftOfStartSwapsTheEnds()
    {
        drag(100, 300);
        const QImage forward = w->Picture1->image();
        const QString peak = w->MaxPeak->text(), rms = w->RMS->text();
        drag(300, 100);
        QCOMPARE(w->Ss->text(), QStringLiteral(" 200"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 600"));
        QCOMPARE(w->MaxPeak->text(), peak);
        QCOMPARE(w->RMS->text(), rms);
        QCOMPARE(w->Picture1->image(), forward);
    }

    void newSelectionAndClickRemoveTheBandExactly()
    {
        const QImage clean = w->Picture1->image();
        drag(100, 300);
        drag(350, 120);
        QCOMPARE(w->Picture1->image().pixel(110, 5), white);
        QCOMPARE(w->Picture1->image().pixel(200, 5), red);
        QTest::mouseClick(w->Picture1, Qt::LeftButton, {}, QPoint(200, 20));
        QCOMPARE(w->Picture1->image(), clean);
        QVERIFY(!w->session().hasSegment);
        QCOMPARE(w->Ss->text(), QStringLiteral(" 0"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 994"));
        QCOMPARE(w->MaxPeak->text(), QStringLiteral("2997.99"));
    }

    void otherButtonsDoNotSelect()
    {
        const QImage clean = w->Picture1->image();
        drag(100, 300, Qt::RightButton);
        drag(100, 300, Qt::MiddleButton);
        QCOMPARE(w->Picture1->image(), clean);
        QVERIFY(!w->session().hasSegment);
        QVERIFY(!w->session().isDragging);
        QCOMPARE(w->Ss->text(), QStringLiteral("0"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 994"));

        // Another button going down and up during a left drag does not end it.
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mousePress(w->Picture1, Qt::RightButton, {}, QPoint(150, 20));
        QTest::mouseRelease(w->Picture1, Qt::RightButton, {}, QPoint(150, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(300, 20));
        QCOMPARE(w->Ss->text(), QStringLiteral(" 200"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 600"));
    }

    void waveformViewWithoutRecordIgnoresTheMouse()
    {
        MainWindow empty;
        empty.chooseFile = [](const QString &) { return std::nullopt; };
        empty.Command3_Click();
        QVERIFY(empty.Picture1->isEnabled());
        const QImage clean = empty.Picture1->image();
        QTest::mousePress(empty.Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseRelease(empty.Picture1, Qt::LeftButton, {}, QPoint(300, 20));
        QCOMPARE(empty.Picture1->image(), clean);
        QVERIFY(empty.Ss->text().isEmpty());
        QVERIFY(!empty.session().isDragging);
    }

    void segmentIsKeptAndClampedOnTheNextLoad()
    {
        drag(100, 300);
        const QString shorter = writeRecord(dir, "shorter.psn", spikes(497, {{300, 0.002}}));
        QVERIFY(w->loadfile(shorter));
        QCOMPARE(w->session().startSample, 200);
        QCOMPARE(w->session().endSample, 497);
        QCOMPARE(w->Ss->text(), QStringLiteral(" 200"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 497"));
        // The band is drawn again on the new waveform, from sample 200 to the end.
        QCOMPARE(w->Picture1->image().pixel(199, 5), white);
        QCOMPARE(w->Picture1->image().pixel(200, 5), red);
        QCOMPARE(w->Picture1->image().pixel(496, 5), red);
        QCOMPARE(w->MaxPeak->text(), QStringLiteral("1995.98"));
        // The title says so until the next selection, or a click.
        const QString kept = QStringLiteral("Sismavue \u2014 the segment 200 to 497 is kept from the previous record");
        QCOMPARE(w->windowTitle(), kept);
        drag(150, 300);
        QCOMPARE(w->windowTitle(), QStringLiteral("Sismavue"));
        QVERIFY(w->loadfile(record));
        QCOMPARE(w->windowTitle(), QStringLiteral("Sismavue \u2014 the segment %1 to %2 is kept from the previous record")
                                       .arg(w->session().startSample)
                                       .arg(w->session().endSample));
        w->Form_Click();
        QCOMPARE(w->windowTitle(), QStringLiteral("Sismavue"));
    }

    // Kept on a record whose last sample is the segment's start, the segment
    // would be that one sample: the whole record is selected instead.
    void segmentShrunkToOneSampleByTheNextLoadSelectsTheWholeRecord()
    {
        drag(300, 450);
        QCOMPARE(w->session().startSample, 600);
        QCOMPARE(w->session().endSample, 900);
        const QString shorter = writeRecord(dir, "six hundred.psn", spikes(600, {{300, 0.002}}));
        MainWindow clean;
        clean.Form_Load(shorter);
        QVERIFY(w->loadfile(shorter));
        QVERIFY(!w->session().hasSegment);
        QCOMPARE(w->session().startSample, 0);
        QCOMPARE(w->session().endSample, 600);
        QCOMPARE(w->Ss->text(), QStringLiteral("0"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 600"));
        QCOMPARE(w->Picture1->image(), clean.Picture1->image());
        QCOMPARE(w->windowTitle(), QStringLiteral("Sismavue"));
    }
};

QTEST_MAIN(SelectionTest)
#include "tst_selection.moc"
