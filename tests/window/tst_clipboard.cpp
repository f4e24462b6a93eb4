#include "testrecord.h"
#include "window/mainwindow.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <clocale>
#include <cmath>

class ClipboardTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString record;
    std::unique_ptr<MainWindow> w;

    static QString clipboard() { return QGuiApplication::clipboard()->text(); }

private slots:
    void initTestCase()
    {
        // 2048 samples per second: line k lies at exactly k Hz.
        std::vector<double> values(4096);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = 0.001 * std::cos(2 * M_PI * 100 * double(i + 1) / 2048);
        record = writeRecord(dir, "sine.psn", values, 2048);
    }

    void init()
    {
        QLocale::setDefault(QLocale::c());
        w = std::make_unique<MainWindow>();
        w->showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
        w->Form_Load(record);
    }

    void copyTakesTheBoxesAsShown()
    {
        w->MaxPeak->setText(QStringLiteral("1234.5"));
        w->RMS->setText(QStringLiteral("typed"));
        w->Command2_Click();
        QCOMPARE(clipboard(), "1234.5\ttyped\t" + w->Law->text());
    }

    void copyAllGivesHeaderAndRow()
    {
        w->Ss->setText(QStringLiteral("typed"));
        w->Command4_Click();
        const QString header = QStringLiteral(
            "Label\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max\r");
        const QString row = QStringList({"ABC", "Z", "typed", " 4096", w->MaxPeak->text(),
                                         w->RMS->text(), w->Law->text(), ""})
                                .join('\t');
        QCOMPARE(clipboard(), header + row);
        w->Command1_Click();
        w->Command4_Click();
        QVERIFY(clipboard().endsWith(QStringLiteral("\t100.")));
        QVERIFY(!clipboard().contains('\n'));
    }

    void copySpectrumGivesEveryLine()
    {
        w->Command1_Click();
        w->Command5_Click();
        const QStringList lines = clipboard().split('\r');
        QCOMPARE(lines.size(), 1026); // the text ends in CR
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[0], QStringLiteral("Freq. (Hz)\tVelocity (µm/s)"));
        QCOMPARE(lines[1].section('\t', 0, 0), QStringLiteral("0."));
        QCOMPARE(lines[1024].section('\t', 0, 0), QStringLiteral("1023."));
        // Line 100, the largest, with up to six decimals.
        const double largest = lines[101].section('\t', 1, 1).toDouble();
        QVERIFY(std::abs(largest - 586.85) < 1);
        QCOMPARE(QString::number(largest, 'f', 2), w->Label14->text());
        QVERIFY(!clipboard().contains('\n'));
    }

    // Whatever the separator, also one outside ASCII (Arabic's U+066B).
    void numbersUseTheLocaleSeparator()
    {
        for (const QLocale &locale : {QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Arabic, QLocale::Egypt)}) {
            QLocale::setDefault(locale);
            const QString point = locale.decimalPoint();
            QVERIFY(point == QStringLiteral(",") || point == QStringLiteral("\u066B"));
            w = std::make_unique<MainWindow>();
            w->Form_Load(record);
            QVERIFY(w->MaxPeak->text().contains(point));
            w->Command1_Click();
            QCOMPARE(w->Fmax->text(), QStringLiteral("100") + point);
            w->Command5_Click();
            QCOMPARE(clipboard().split('\r')[2].section('\t', 0, 0), QStringLiteral("1") + point);
        }
    }

    // In the locale the program starts in, which the toolkit also gives the
    // C library (ctest runs this test again under de_DE.UTF-8): the boxes and
    // the three copies are those of the C locale with its separator for ".".
    void figuresFollowTheLocaleTheProgramStartsIn()
    {
        const QString point = QLocale::system().decimalPoint();
        QCOMPARE(QString::fromLatin1(std::localeconv()->decimal_point), point);
        if (qEnvironmentVariable("LC_ALL").startsWith(QLatin1String("de_DE")))
            QCOMPARE(point, QStringLiteral(","));
        const auto copies = [&](const QLocale &locale) {
            QLocale::setDefault(locale);
            w = openWindow(record);
            w->Picture1_MouseDown(Qt::LeftButton, QPointF(1500, 500));
            w->Picture1_MouseUp(Qt::LeftButton, QPointF(5000, 500));
            QStringList texts;
            w->Command2_Click();
            texts << clipboard();
            w->Command1_Click();
            w->Command4_Click();
            texts << clipboard();
            w->Command5_Click();
            texts << clipboard() << w->Label12->text() << w->Label14->text();
            return texts;
        };
        QStringList c = copies(QLocale::c());
        QVERIFY(c[1].endsWith(QStringLiteral("\t100.")));
        for (QString &text : c)   // the points of numbers, not of "Freq.max"
            text.replace(QRegularExpression(QStringLiteral("(\\d)\\.")), QStringLiteral("\\1") + point);
        QCOMPARE(copies(QLocale::system()), c);
    }
};

QTEST_MAIN(ClipboardTest)
#include "tst_clipboard.moc"
