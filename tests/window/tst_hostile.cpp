// Damaged and hostile files opened over a good record: each is refused with
// a message naming the file and the reason, and the record on screen stays
// exactly as it was; odd but readable files and odd paths load.
#include "../record/recordwriters.h"
#include "testrecord.h"
#include "window/mainwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray header(qint64 count, const QByteArray &extra = {})
{
    return "Number of Samples: " + QByteArray::number(count) + "\r\nSPS: 100\r\n" + extra +
           "Data:\r\n";
}

// Everything a failed load must leave alone.
struct Snapshot {
    Session session;
    QStringList texts;
    QImage wave, spectrum, level;
    bool spectrumEnabled;

    explicit Snapshot(const MainWindow &w)
        : session(w.session()),
          texts({w.Label2->text(), w.Label9->text(), w.Label10->text(), w.Fs->text(),
                 w.Label12->text(), w.MaxPeak->text(), w.RMS->text(), w.Law->text(),
                 w.Ss->text(), w.Es->text(), w.Fmax->text()}),
          wave(w.Picture1->image()), spectrum(w.Picture2->image()), level(w.Picture3->image()),
          spectrumEnabled(w.Command5->isEnabled())
    {
    }

    bool operator==(const Snapshot &o) const
    {
        const Session &a = session, &b = o.session;
        return a.sampleCount == b.sampleCount && a.sampleRate == b.sampleRate &&
               a.samples == b.samples && a.slowLevel == b.slowLevel &&
               a.startSample == b.startSample && a.endSample == b.endSample &&
               a.hasSegment == b.hasSegment && a.spectrum == b.spectrum && texts == o.texts &&
               wave == o.wave && spectrum == o.spectrum && level == o.level &&
               spectrumEnabled == o.spectrumEnabled;
    }
};

} // namespace

class HostileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString good;
    QStringList messages;
    int beeps = 0;
    std::unique_ptr<MainWindow> w;

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }

    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return file.fileName();
    }

    // Creates the file of the given kind; returns its path.
    QString make(const QString &kind, const QByteArray &bytes) const
    {
        if (kind == "file")
            return write(QStringLiteral("hostile.psn"), bytes);
        if (kind == "directory") {
            QDir(dir.path()).mkpath(QStringLiteral("folder.psn"));
            return path(QStringLiteral("folder.psn"));
        }
        if (kind == "fifo") {
            const QString fifo = path(QStringLiteral("pipe.psn"));
            QFile::remove(fifo);
            return ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 ? fifo : QString();
        }
        if (kind == "sparse") {
            // A plausible header, then a hole of 64 MiB: one endless field
            // of NUL bytes, none of it on disk.
            const QString sparse = write(QStringLiteral("sparse.psn"), bytes);
            return QFile::resize(sparse, 64 << 20) ? sparse : QString();
        }
        return kind;  // a path of the system's
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        std::vector<double> wave(3000);
        for (size_t i = 0; i < wave.size(); ++i)
            wave[i] = 0.002 * std::sin(i * 0.1);
        good = writeRecord(dir, "good.psn", wave);
    }

    void init()
    {
        messages.clear();
        w = std::make_unique<MainWindow>();
        w->showMessage = [this](const QString &text) { messages << text; };
        w->beep = [this] { ++beeps; };
        w->Form_Load(good);
        QVERIFY(messages.isEmpty());
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(200, 20));
        w->Command1_Click();
    }

    void refusedFileLeavesTheRecordOnScreen_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        // The first beep sounds once the header is read, before any sample.
        QTest::addColumn<int>("beeps");
        QTest::newRow("count the file cannot hold")
            << "file" << header(2000000000) + QByteArray(900, '1')
            << "line 1: the header announces 2000000000 samples but only 900 bytes follow" << 0;
        QTest::newRow("directory") << "directory" << QByteArray() << "is a directory, not a regular file" << 0;
        QTest::newRow("named pipe") << "fifo" << QByteArray() << "is a named pipe, not a regular file" << 0;
        QTest::newRow("endless device") << "/dev/zero" << QByteArray()
                                        << "is a character device, not a regular file" << 0;
        QTest::newRow("one endless field in a sparse file")
            << "sparse" << header(1000000) << "line 4: the file ends after 1 of 1000000 samples" << 1;
        QTest::newRow("one enormous line, no Data:")
            << "file" << "Comment: " + QByteArray(8 << 20, 'x')
            << "is not a record Sismavue reads" << 0;
        QTest::newRow("NUL bytes instead of samples")
            << "file" << header(3) + QByteArray(1000, '\0') << "line 4: the file ends after 1 of 3 samples" << 1;
        QTest::newRow("NUL in the rate") << "file" << QByteArray("Number of Samples: 3\r\nSPS: 1") + '\0' + "00\r\nData:\r\n1 2 3"
                                         << "line 2: a sampling rate of 1 samples per second is too low" << 0;
        QTest::newRow("value beyond float") << "file" << header(3) + "1e-6\r\n1e400\r\n0\r\n"
                                            << "line 5: sample 2 is beyond the 32-bit float range" << 1;
        QTest::newRow("a square beyond float") << "file" << header(3) + "3e38 3e38 -3e38\r\n"
                                               << "the sample values are too large" << 1;
        Type4 wrongCrc;
        wrongCrc.values = {1e-6, 2e-6, 3e-6};
        wrongCrc.crcChange = 1;
        QTest::newRow("Type 4 with a wrong CRC") << "file" << QByteArray::fromStdString(wrongCrc.bytes())
                                                 << "the CRC stored in the file is" << 1;
        Sac acceleration;
        acceleration.values = {1, 2, 3};
        acceleration.idep = 8;
        QTest::newRow("SAC of acceleration") << "file" << QByteArray::fromStdString(acceleration.bytes())
                                             << "holds acceleration; Sismavue analyses velocity records" << 0;
        QTest::newRow("stray quote swallows the rest")
            << "file" << header(3) + "\"1e-6\r\n2e-6\r\n3e-6\r\n"
            << "line 6: the file ends after 1 of 3 samples; the quote opened on line 4 is never closed" << 1;
    }

    void refusedFileLeavesTheRecordOnScreen()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QFETCH(int, beeps);
        const QString file = make(kind, bytes);
        QVERIFY(!file.isEmpty());
        const Snapshot before(*w);
        this->beeps = 0;

        w->Label2->setText(file);
        QVERIFY(!w->loadfile(file));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].startsWith(file + ": "), qPrintable(messages[0]));
        QVERIFY2(messages[0].contains(reason), qPrintable(messages[0]));
        QVERIFY(Snapshot(*w) == before);
        QCOMPARE(this->beeps, beeps);
        QCOMPARE(w->ProgressBar1->value(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(w->Picture1->isEnabled());
    }

    void oddButReadableFilesLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("peak");
        QTest::addColumn<int>("count");
        const QByteArray data = "1e-6\r\n2e-6\r\n-1e-6\r\n";
        QTest::newRow("blank in the name") << "with blank.psn" << header(3) + data << "" << "1.67" << 3;
        QTest::newRow("non-ASCII name") << "Zürich é.psn" << header(3) + data << "" << "1.67" << 3;
        QTest::newRow("UTF-8 station code")
            << "utf8.psn" << header(3, "Station Code: Z\xC3\xBCrich \xE2\x82\xAC\r\n") + data
            << "Zürich €" << "1.67" << 3;
        QTest::newRow("station code not UTF-8")
            << "latin1.psn" << header(3, "Station Code: \xFF\xC3(\x80\r\n") + data << "ÿÃ(€" << "1.67" << 3;
        QTest::newRow("NUL inside the station code and the samples")
            << "nul.psn" << header(3, QByteArray("Station Code: A\0B\r\n", 19)) +
                   QByteArray("1e-6\0\0 2e-6\0\r\n-1e-6", 19)
            << QStringLiteral("A") + QChar(0) + "B" << "1.67" << 3;
        QTest::newRow("nan, inf, hex and -0 read as 0")
            << "odd.psn" << header(6) + "nan\r\ninf\r\n-0\r\n0x1p3\r\n1e-6\r\n2e-6\r\n" << "" << "1.5" << 6;
        QTest::newRow("very long station code")
            << "long.psn" << header(3, "Station Code: " + QByteArray(1 << 20, 'S') + "\r\n") + data
            << QString(1 << 20, 'S') << "1.67" << 3;
    }

    void oddButReadableFilesLoad()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, station);
        QFETCH(QString, peak);
        QFETCH(int, count);
        const QString file = write(name, bytes);
        QVERIFY(!file.isEmpty());
        QVERIFY(w->loadfile(file));
        QVERIFY(messages.isEmpty());
        QCOMPARE(w->Label9->text(), station);
        QCOMPARE(w->MaxPeak->text(), peak);
        QCOMPARE(w->session().sampleCount, count);
    }

    // Markup in a file name, a header text or a message is shown as written.
    void markupIsShownAsWritten()
    {
        const QString file = write(QStringLiteral("<b>x.psn"),
                                   header(3, "Station Code: Site <b>N</b>\r\n") + "1e-6 2e-6 -1e-6\r\n");
        QVERIFY(w->loadfile(file));
        QCOMPARE(w->Label9->text(), QStringLiteral("Site <b>N</b>"));
        for (const QLabel *label : w->findChildren<QLabel *>())
            QCOMPARE(label->textFormat(), Qt::PlainText);

        MainWindow fresh;
        fresh.show();
        Qt::TextFormat shown = Qt::RichText;
        QTimer::singleShot(0, &fresh, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->textFormat();
            box->done(0);
        });
        fresh.showMessage(QStringLiteral("<b>bold</b>"));
        QCOMPARE(shown, Qt::PlainText);
    }

    // Start-up strips one leading and one trailing quote and nothing else:
    // a name that itself starts with a quote needs a quote pair around it.
    void startUpNamesWithBlanksAndQuotes()
    {
        const QByteArray record = header(3) + "1e-6\r\n2e-6\r\n-1e-6\r\n";
        QVERIFY(!write(QStringLiteral("\"quoted.psn"), record).isEmpty());
        QVERIFY(!write(QStringLiteral("blank ü.psn"), record).isEmpty());
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        struct Case { QString line, label; bool loads; };
        const Case cases[] = {
            {QStringLiteral("\"\"quoted.psn\""), QStringLiteral("\"quoted.psn"), true},
            {QStringLiteral("\"quoted.psn"), QStringLiteral("quoted.psn"), false},
            {QStringLiteral("blank ü.psn"), QStringLiteral("blank ü.psn"), true},
            {QStringLiteral("\"blank ü.psn\""), QStringLiteral("blank ü.psn"), true},
        };
        for (const Case &c : cases) {
            messages.clear();
            MainWindow fresh;
            fresh.showMessage = [this](const QString &text) { messages << text; };
            fresh.Form_Load(c.line);
            QCOMPARE(fresh.session().sampleCount, c.loads ? 3 : 0);
            QCOMPARE(fresh.Picture1->isEnabled(), c.loads);
            if (c.loads) {
                QCOMPARE(fresh.Label2->text(), c.label);
                QVERIFY(messages.isEmpty());
            } else {
                QCOMPARE(messages.size(), 1);
                QCOMPARE(messages[0], c.label + ": cannot be opened: No such file or directory");
            }
        }
        QVERIFY(QDir::setCurrent(previous));
    }
};

QTEST_MAIN(HostileTest)
#include "tst_hostile.moc"
