#include "testrecord.h"
#include "window/mainwindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <cmath>

// Which controls can be used at each stage of a session.
class EnablingTest : public QObject {
    Q_OBJECT

    struct Expected {
        bool compute, copy, copyAll, copySpectrum, cursor, waveform;
    };

    void check(const MainWindow &w, Expected e)
    {
        QCOMPARE(w.Command1->isEnabled(), e.compute);
        QCOMPARE(w.Command2->isEnabled(), e.copy);
        QCOMPARE(w.Command4->isEnabled(), e.copyAll);
        QCOMPARE(w.Command5->isEnabled(), e.copySpectrum);
        QCOMPARE(w.HScroll1->isEnabled(), e.cursor);
        QCOMPARE(w.Picture1->isEnabled(), e.waveform);
        // Always so, whatever the stage.
        QVERIFY(w.Command3->isEnabled());
        QVERIFY(w.Picture2->isEnabled());
        QVERIFY(!w.Picture3->isEnabled());
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void windowHasItsCaptionSizeAndInitialTexts()
    {
        MainWindow w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Sismavue"));
        QVERIFY(!w.windowIcon().isNull());
        QCOMPARE(w.size(), QSize(686, 555));
        QCOMPARE(w.Picture1->geometry(), QRect(184, 75, 497, 150));
        QCOMPARE(w.Picture2->geometry(), QRect(184, 384, 497, 150));
        QCOMPARE(w.Frame1->title(), QStringLiteral(" Cursor "));
        QCOMPARE(w.Label3->text(), QStringLiteral("Max Peak (µm/s) ="));
        for (const QLabel *axis : {w.Label11, w.Label12, w.Label13, w.Label14})
            QCOMPARE(axis->text(), QStringLiteral("0"));
        QCOMPARE(w.HScroll1->maximum(), 1023);
        QCOMPARE(w.ProgressBar1->value(), 0);
        QCOMPARE(w.Ss->palette().color(QPalette::Base), QColor(224, 224, 224));
        QCOMPARE(w.Label20->palette().color(QPalette::WindowText), QColor(0, 192, 0));
        QVERIFY(w.Label2->acceptDrops());
    }

    void tabOrderFollowsTheLayout()
    {
        MainWindow w;
        const QList<QWidget *> order = {w.Command1, w.MaxPeak, w.RMS,      w.Es,     w.Command2,
                                        w.Fs,       w.Picture1, w.Picture2, w.Ss,     w.Command3,
                                        w.Command4, w.Fmax,     w.Command5, w.HScroll1, w.Law,
                                        w.Picture3};
        QList<QWidget *> seen;
        QWidget *next = w.Command1;
        do {
            if (order.contains(next))
                seen << next;
            next = next->nextInFocusChain();
        } while (next != w.Command1);
        QCOMPARE(seen, order);
    }

    void wholeSession()
    {
        QTemporaryDir dir;
        std::vector<double> wave(6000);
        for (size_t i = 0; i < wave.size(); ++i)
            wave[i] = 0.001 * std::sin(i * 0.3);
        const QString path = writeRecord(dir, "a.psn", wave);
        MainWindow w;
        w.showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
        std::optional<QString> choice;
        w.chooseFile = [&](const QString &) { return choice; };
        w.Form_Load(QString());
        check(w, {false, false, false, false, false, false});

        w.Command3_Click(); // cancelled, still enables the waveform view
        check(w, {false, false, false, false, false, true});

        choice = path;
        w.Command3_Click();
        check(w, {true, true, true, false, false, true});

        w.Command1_Click();
        check(w, {true, true, true, true, true, true});

        QTest::mousePress(w.Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseRelease(w.Picture1, Qt::LeftButton, {}, QPoint(300, 20));
        check(w, {true, true, true, false, false, true});

        w.Command1_Click();
        check(w, {true, true, true, true, true, true});

        w.Command3_Click(); // the same file again
        check(w, {true, true, true, false, false, true});
        QVERIFY(w.Fmax->text().isEmpty());
    }
};

QTEST_MAIN(EnablingTest)
#include "tst_enabling.moc"
