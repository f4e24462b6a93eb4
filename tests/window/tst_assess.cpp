// The assessment window: the companions it finds by what files hold, the
// verdict line and table of a known set, and the choosers recomputing.
#include "../record/mseedwriter.h"
#include "../record/recordwriters.h"
#include "testrecord.h"
#include "window/assesswindow.h"
#include "window/mainwindow.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cmath>

namespace {

constexpr int rate = 1000;
constexpr int count = 8 * rate;

// A steady sine of `mmps` mm/s at `hz` as m/s, faded in and out over 1 s.
std::vector<float> sine(double hz, double mmps)
{
    std::vector<float> v(count);
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate, fade = 0.5 - 0.5 * std::cos(M_PI * std::min({t, 8.0 - t, 1.0}));
        v[static_cast<std::size_t>(i)] = static_cast<float>(mmps / 1000 * fade * std::sin(2 * M_PI * hz * t));
    }
    return v;
}

// Z 1 mm/s at 20 Hz, N 6.01 mm/s at 6 Hz, E 2 mm/s at 40 Hz.
const std::pair<double, double> waves[3] = {{20, 1}, {6, 6.01}, {40, 2}};

QString writeBytes(const QTemporaryDir &dir, const QString &name, const std::string &bytes)
{
    const QString path = QDir(dir.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        return {};
    return path;
}

std::string sacOf(const std::string &station, const std::string &channel, std::vector<float> values)
{
    Sac sac;
    for (float &v : values)
        v *= 1e9f;
    sac.values = std::move(values);
    sac.delta = 0.001f;
    sac.idep = 7;   // nm/s
    sac.station = station;
    sac.component = channel;
    sac.reference = Sac::Reference{2024, 124, 10, 15, 2, 0};
    sac.begin = 0;
    return sac.bytes();
}

std::string mseedSet()
{
    std::vector<std::string> files;
    for (int k = 0; k < 3; ++k) {
        MiniSeed m;
        m.channel = std::string("HH") + "ZNE"[k];
        m.rate = rate;
        for (const float v : sine(waves[k].first, waves[k].second))
            m.values.push_back(std::round(v * 1e9));   // counts of 1 nm/s, as the table says
        files.push_back(m.bytes());
    }
    return interleaved(files);
}

// The main window on `path` (of a miniSEED file, its first channel) with its assessment window.
struct Opened {
    std::unique_ptr<MainWindow> main;
    AssessWindow *assess = nullptr;
};

Opened openAssessment(const QString &path)
{
    Opened o{std::make_unique<MainWindow>()};
    o.main->showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
    o.main->chooseChannel = [](const QStringList &, int) { return std::optional<int>(0); };
    o.main->Form_Load(path);
    o.main->openassess();
    o.assess = o.main->assesswindow();
    return o;
}

// What sismavue-report prints with `options` for the window's files.
QByteArray report(QStringList options, const AssessWindow *assess)
{
    for (const std::string &file : assess->files())
        options << QString::fromStdString(file);
    QProcess process;
    process.start(QStringLiteral(REPORT_PATH), options);
    return process.waitForFinished(60000) ? process.readAllStandardOutput() : QByteArray();
}

bool settle(AssessWindow *assess)
{
    return QTest::qWaitFor([assess] { return !assess->isBusy(); }, 20000);
}

} // namespace

class AssessTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir, sacDir, config;
    QString mseed, sacZ;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        QDir(config.path()).mkpath("sismavue");
        writeBytes(config, "sismavue/sensitivities.tsv", "BGLD\tHHZ\t1e9\nBGLD\tHHN\t1e9\nBGLD\tHHE\t1e9\n");
        mseed = writeBytes(dir, "set.mseed", mseedSet());
        // Named for nothing they hold: found by content alone. Beside them
        // one of another band (EHN) and one of another station.
        sacZ = writeBytes(sacDir, "c.sac", sacOf("ABC", "HHZ", sine(20, 1)));
        writeBytes(sacDir, "a.dat", sacOf("ABC", "HHE", sine(40, 2)));
        writeBytes(sacDir, "b", sacOf("ABC", "HHN", sine(6, 6.01)));
        writeBytes(sacDir, "HHN.sac", sacOf("ABC", "EHN", sine(6, 9)));
        writeBytes(sacDir, "HHE.sac", sacOf("XYZ", "HHE", sine(6, 9)));
        writeBytes(sacDir, "notes.txt", "not a record\n");
    }

    void findsCompanionsByContent_data()
    {
        QTest::addColumn<bool>("fromMiniSeed");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("one miniSEED file") << true << QStringList{"set.mseed \u2014 HHZ, HHN, HHE"};
        QTest::newRow("three SACs") << false << QStringList{"c.sac \u2014 HHZ", "b \u2014 HHN", "a.dat \u2014 HHE"};
    }
    void findsCompanionsByContent()
    {
        QFETCH(bool, fromMiniSeed);
        QFETCH(QStringList, listed);
        Opened o = openAssessment(fromMiniSeed ? mseed : sacZ);
        QVERIFY(settle(o.assess));
        QStringList texts;
        for (int i = 0; i < o.assess->componentList->count(); ++i)
            texts << o.assess->componentList->item(i)->text();
        QCOMPARE(texts, listed);
        QCOMPARE(o.assess->figures()->structure.components.size(), std::size_t(3));
    }

    // The figures of the three sines, worked by hand: N governs, 6.01 mm/s
    // at 6 Hz against 5 mm/s for dwellings below 10 Hz, the band-limitation
    // taking 0.02 % off.
    void showsTheVerdictAndTableOfTheSet()
    {
        Opened o = openAssessment(mseed);
        QVERIFY(settle(o.assess));
        QCOMPARE(o.assess->verdictLabel->text(),
                 QStringLiteral("Exceeded: N component 6.01 mm/s at 6.0 Hz, 120 % of 5.00 mm/s for dwellings"));
        const QTableWidget *t = o.assess->table;
        QCOMPARE(t->rowCount(), 4);
        const QStringList expected[3] = {{"HHZ", "20.0", "7.50", "met"},
                                         {"HHN", "6.0", "5.00", "exceeded"},
                                         {"HHE", "40.0", "12.50", "met"}};
        for (int row = 0; row < 3; ++row) {
            const int columns[] = {0, 5, 6, 8};
            for (int i = 0; i < 4; ++i)
                QCOMPARE(t->item(row, columns[i])->text(), expected[row][i]);
            // The peak through the band's two Butterworth pairs, 0.8 and 100 Hz.
            const double f = waves[row].first,
                         gain = 1 / std::sqrt((1 + std::pow(0.8 / f, 4)) * (1 + std::pow(f / 100, 4)));
            QVERIFY(std::abs(t->item(row, 1)->text().toDouble() - waves[row].second * gain) < 0.006);
        }
        // The true vector sum lies between the largest peak and the sum of all three.
        QCOMPARE(t->item(3, 0)->text(), QStringLiteral("Set, vector sum"));
        const double pvs = t->item(3, 1)->text().toDouble();
        QVERIFY2(pvs > 6.01 && pvs < 9.01, qPrintable(t->item(3, 1)->text()));
    }

    void aChoiceRecomputes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("commercial")
            << "building" << 0 << "Met: N component 6.01 mm/s at 6.0 Hz, 30 % of 20.00 mm/s for commercial buildings";
        QTest::newRow("sensitive")
            << "building" << 2
            << "Exceeded: N component 6.01 mm/s at 6.0 Hz, 200 % of 3.00 mm/s for sensitive buildings";
        QTest::newRow("top floor")
            << "place" << 1 << "Met: N component 6.01 mm/s at 6.0 Hz, 40 % of 15.00 mm/s for dwellings, top floor";
        QTest::newRow("slab") << "place" << 2
                              << "Met: Z component 1.00 mm/s at 20.0 Hz, 5 % of 20.00 mm/s for dwellings, floor slab";
    }
    void aChoiceRecomputes()
    {
        QFETCH(QString, box);
        QFETCH(int, index);
        QFETCH(QString, verdict);
        Opened o = openAssessment(mseed);
        QVERIFY(settle(o.assess));
        QComboBox *chooser = box == "building" ? o.assess->buildingBox : o.assess->placeBox;
        chooser->setFocus();
        // By the keyboard, from the default.
        const int from = chooser->currentIndex();
        for (int i = from; i != index; i += index > from ? 1 : -1)
            QTest::keyClick(chooser, index > from ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(chooser->currentIndex(), index);
        QVERIFY(o.assess->isBusy());
        QVERIFY(settle(o.assess));
        QCOMPARE(o.assess->verdictLabel->text(), verdict);
    }

    // Another record or segment in the main window is assessed at once;
    // closing the window leaves the main window as it was.
    void followsTheMainWindow()
    {
        Opened o = openAssessment(mseed);
        QVERIFY(settle(o.assess));
        QVERIFY(o.main->loadfile(sacZ));
        QVERIFY(settle(o.assess));
        QCOMPARE(o.assess->windowTitle(), QStringLiteral("Assessment \u2014 ABC"));
        QCOMPARE(o.assess->componentList->count(), 3);
        o.main->dragsegment(2001, 4000);
        QVERIFY(settle(o.assess));
        for (const EventComponent &c : o.assess->figures()->structure.components)
            QCOMPARE(c.structure.trace.size(), std::size_t(2000));
        // A file dropped and added again: the later files move up, the added one goes last.
        o.assess->dropFile(1);
        QVERIFY(settle(o.assess) && o.assess->figures()->structure.components.size() == 1);
        o.assess->addFile(QDir(sacDir.path()).filePath("b"));
        QVERIFY(settle(o.assess));
        QCOMPARE(o.assess->componentList->item(1)->text(), QStringLiteral("a.dat \u2014 HHE"));
        QCOMPARE(o.assess->componentList->item(2)->text(), QStringLiteral("b \u2014 HHN"));
        const Session before = o.main->session();
        o.assess->close();
        QCoreApplication::processEvents();
        QCOMPARE(o.main->session().startSample, before.startSample);
        QCOMPARE(o.main->session().endSample, before.endSample);
        QCOMPARE(o.main->session().sampleCount, before.sampleCount);
    }

    // Save Picture draws what the report's --plot draws.
    void savedPictureIsTheReports()
    {
        Opened o = openAssessment(sacZ);
        QVERIFY(settle(o.assess));
        const QString saved = QDir(dir.path()).filePath("saved.png");
        o.assess->choosePictureFile = [&](const QString &) { return std::optional<QString>(saved); };
        QTest::keySequence(o.assess, QKeySequence(Qt::CTRL | Qt::Key_S));
        QTemporaryDir plots;
        report({"--assess", "din4150-3", "--plot", plots.path(), "--plot-scale", "2"}, o.assess);
        const QStringList pictures = QDir(plots.path()).entryList({"*.png"});
        QCOMPARE(pictures.size(), 1);
        const QImage ours(saved), theirs(QDir(plots.path()).filePath(pictures[0]));
        QVERIFY(!ours.isNull());
        QCOMPARE(ours.convertToFormat(QImage::Format_RGB32), theirs.convertToFormat(QImage::Format_RGB32));
    }

    // Copy is what the report prints for the same files and choices; the
    // main window's segment is the report's --segment.
    void copyIsTheReportsRows_data()
    {
        QTest::addColumn<bool>("fromMiniSeed");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("DIN 4150-3, three files") << false << QStringList{"--assess", "din4150-3"};
        QTest::newRow("DIN 4150-2, one file") << true << QStringList{"--assess", "din4150-2"};
        QTest::newRow("sensitive, a segment")
            << true << QStringList{"--assess", "din4150-3", "--building", "sensitive", "--segment", "2001:6000"};
    }
    void copyIsTheReportsRows()
    {
        QFETCH(bool, fromMiniSeed);
        QFETCH(QStringList, options);
        const bool people = options.contains("din4150-2"), segment = options.contains("--segment");
        Opened o = openAssessment(fromMiniSeed ? mseed : sacZ);
        QVERIFY(settle(o.assess));
        if (options.contains("sensitive"))
            o.assess->buildingBox->setCurrentIndex(2);
        if (segment)
            o.main->dragsegment(2001, 6000);
        QVERIFY(settle(o.assess));
        QCOMPARE(o.main->session().startSample, segment ? 2001 : 0);
        const QString expected = QString::fromUtf8(report(options, o.assess));
        QVERIFY(expected.count('\n') >= 4);
        if (people)
            QTest::keySequence(o.assess, QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_C));
        else
            QTest::mouseClick(o.assess->copyButton, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }
};

QTEST_MAIN(AssessTest)
#include "tst_assess.moc"
