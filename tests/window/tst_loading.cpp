#include "../record/mseedwriter.h"
#include "../record/recordwriters.h"
#include "testrecord.h"
#include "window/mainwindow.h"

#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>

#include <cmath>
#include <map>
#include <utility>

class LoadingTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString first, second, anonymous, truncated, counts;
    QStringList messages;

    std::unique_ptr<MainWindow> window()
    {
        auto w = std::make_unique<MainWindow>();
        w->showMessage = [this](const QString &text) { messages << text; };
        w->chooseFile = [](const QString &) { return std::nullopt; };
        return w;
    }

    static std::unique_ptr<QMimeData> files(const QStringList &paths)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        // As file managers offer them: the paths also as text.
        data->setText(paths.join('\n'));
        return data;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        std::vector<double> wave(3000);
        for (size_t i = 0; i < wave.size(); ++i)
            wave[i] = 0.002 * std::sin(i * 0.1);
        first = writeRecord(dir, "first.psn", wave);
        second = writeRecord(dir, "with blank.psn", spikes(500, {{10, 0.001}}), 200);
        anonymous = writeRecord(dir, "anonymous.psn", spikes(800, {{5, 0.001}}), 100, false);
        std::vector<double> adc(2000);
        for (size_t i = 0; i < adc.size(); ++i)
            adc[i] = 2048 + std::round(10 * std::sin(i * 0.1));
        counts = writeRecord(dir, "counts.psn", adc);
        truncated = QDir(dir.path()).filePath("truncated.psn");
        QFile file(truncated);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Number of Samples: 100\r\nSPS: 100\r\nData:\r\n1\r\n2\r\n");
    }

    void init() { messages.clear(); }

    void failedLoadLeavesThePreviousRecordIntact()
    {
        auto w = window();
        w->Form_Load(first);
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(200, 20));
        w->Command1_Click();
        const QImage wave = w->Picture1->image(), spectrum = w->Picture2->image();
        const QString peak = w->MaxPeak->text(), start = w->Ss->text(), end = w->Es->text();
        const Session before = w->session();

        w->Label2->setText(truncated);
        QVERIFY(!w->loadfile(truncated));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(truncated));
        QVERIFY(messages[0].contains(QStringLiteral("line")));
        QCOMPARE(w->Label2->text(), first);
        QCOMPARE(w->session().sampleCount, before.sampleCount);
        QCOMPARE(w->session().samples, before.samples);
        QCOMPARE(w->session().startSample, before.startSample);
        QCOMPARE(w->session().endSample, before.endSample);
        QCOMPARE(w->MaxPeak->text(), peak);
        QCOMPARE(w->Ss->text(), start);
        QCOMPARE(w->Es->text(), end);
        QCOMPARE(w->Fs->text(), QStringLiteral(" 100"));
        QCOMPARE(w->Picture1->image(), wave);
        QCOMPARE(w->Picture2->image(), spectrum);
        QVERIFY(w->Command5->isEnabled());
        QCOMPARE(w->ProgressBar1->value(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void startUpWithABadFileOpensEmpty()
    {
        auto w = window();
        const QString missing = QDir(dir.path()).filePath("missing.psn");
        w->Form_Load('"' + missing + '"');
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(missing));
        QVERIFY(w->Label2->text().isEmpty());
        QVERIFY(!w->Picture1->isEnabled());
        QVERIFY(!w->Command1->isEnabled());
        QCOMPARE(w->session().sampleCount, 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void commandLineQuotes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted with a blank") << "\"/a b/c.psn\"" << "/a b/c.psn";
        QTest::newRow("blank, no quotes") << "/a b/c.psn" << "/a b/c.psn";
        QTest::newRow("leading only") << "\"c.psn" << "c.psn";
        QTest::newRow("trailing only") << "c.psn\"" << "c.psn";
        QTest::newRow("one quote") << "\"" << "";
        QTest::newRow("inner quotes stay") << "\"\"c.psn\"\"" << "\"c.psn\"";
    }

    void commandLineQuotes()
    {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QCOMPARE(MainWindow::stripQuotes(line), name);
    }

    void commandLineArgumentsMakeOneName()
    {
        const QStringList arguments = {"\"" + QDir(dir.path()).filePath("with"), "blank.psn\""};
        auto w = window();
        w->Form_Load(MainWindow::joinCommandLine(arguments));
        QVERIFY(messages.isEmpty());
        QCOMPARE(w->Label2->text(), second);
        QCOMPARE(w->session().sampleCount, 500);
        QVERIFY(w->Picture1->isEnabled());
    }

    void recordWithoutIdentityShowsEmptyLabels()
    {
        auto w = window();
        w->Form_Load(first);
        QCOMPARE(w->Label9->text(), QStringLiteral("ABC"));
        QVERIFY(w->loadfile(anonymous));
        QVERIFY(w->Label9->text().isEmpty());
        QVERIFY(w->Label10->text().isEmpty());
    }

    // Files dropped anywhere on the window load as if dropped on the path
    // box, also over a text box (which would take the path as text) and
    // over a disabled view.
    void droppedFileListLoadsTheLastFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("path box") << "Label2" << QPoint(10, 10);
        QTest::newRow("window background") << "" << QPoint(300, 44);
        QTest::newRow("text box") << "Ss" << QPoint(10, 10);
        QTest::newRow("disabled level view") << "Picture3" << QPoint(50, 50);
        QTest::newRow("disabled button") << "Command1" << QPoint(10, 10);
        QTest::newRow("cursor frame") << "Frame1" << QPoint(5, 60);
    }

    void droppedFileListLoadsTheLastFile()
    {
        QFETCH(QString, target);
        QFETCH(QPoint, at);
        auto w = window();
        const std::map<QString, QWidget *> controls = {
            {"", w.get()}, {"Label2", w->Label2}, {"Ss", w->Ss}, {"Picture3", w->Picture3},
            {"Command1", w->Command1}, {"Frame1", w->Frame1}};
        QWidget *receiver = controls.at(target);
        auto data = files({first, second});
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(receiver, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(receiver, &drop);
        QTRY_COMPARE(w->session().sampleCount, 500);
        QCOMPARE(w->Label2->text(), second);
        QCOMPARE(w->Fs->text(), QStringLiteral(" 200"));
        QCOMPARE(w->Ss->text(), QStringLiteral("0"));
        QVERIFY(w->Picture1->isEnabled());
    }

    void dragsOfTextOrMoveOnlyAreRefused()
    {
        auto w = window();
        QMimeData text;
        text.setText(first);
        QDragEnterEvent textEnter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w->Label2, &textEnter);
        QVERIFY(!textEnter.isAccepted());
        auto data = files({first});
        for (QWidget *over : {static_cast<QWidget *>(w->Label2), static_cast<QWidget *>(w->Es)}) {
            QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, data.get(), Qt::LeftButton, {});
            QCoreApplication::sendEvent(over, &moveOnly);
            QVERIFY(!moveOnly.isAccepted());
        }
    }

    // The box cuts a long path; its tooltip shows it whole, as plain text.
    void pathBoxTooltipIsTheWholePath()
    {
        auto w = window();
        const QString path = QStringLiteral("/a  folder/<b>not bold</b> & more/") + QString(200, 'x') + ".psn";
        w->Label2->setText(path);
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), w->Label2->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(w->Label2, &help);
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        QCOMPARE(shown.toPlainText(), path);
        QCOMPARE(w->Label2->text(), path);
        QToolTip::hideText();
    }

    void ctrlOOpensTheDialogAndCtrlWClosesTheWindow()
    {
        auto w = window();
        int dialogs = 0;
        w->chooseFile = [&](const QString &) {
            ++dialogs;
            return std::optional<QString>(first);
        };
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs, 1);
        QCOMPARE(w->session().sampleCount, 3000);
        QTest::keyClick(w.get(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!w->isVisible());
    }

    void dialogOpensOnThePreviousFile()
    {
        auto w = window();
        QStringList offered;
        std::optional<QString> answer;
        w->chooseFile = [&](const QString &initial) {
            offered << initial;
            return answer;
        };
        w->Command3_Click();
        QCOMPARE(w->session().sampleCount, 0);
        QVERIFY(w->Label2->text().isEmpty());
        QVERIFY(w->Picture1->isEnabled());
        answer = first;
        w->Command3_Click();
        QCOMPARE(w->session().sampleCount, 3000);
        QCOMPARE(w->Label2->text(), first);
        answer = std::nullopt;
        w->Command3_Click();
        QCOMPARE(offered, QStringList({"*.psn", "*.psn", first}));
        QCOMPARE(w->Label2->text(), first);
    }

    // The plot of a new record lets other handlers run. By then the selection
    // lies inside the new record, and the previous record's spectrum can no
    // longer be copied or read with the cursor.
    void sessionFollowsTheNewRecordWhileItIsPlotted()
    {
        for (const bool select : {false, true}) {
            auto w = window();
            w->Form_Load(first);
            if (select) { // samples 604..1207 of 3000
                QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
                QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(200, 20));
            }
            w->Command1_Click();
            w->HScroll1->setValue(40);
            const QString cursorFrequency = w->freq->text();
            int plotting = 0;
            connect(w->ProgressBar1, &QProgressBar::valueChanged, w.get(), [&] {
                const Session &s = w->session();
                if (s.sampleCount != 500)
                    return;
                ++plotting;
                QCOMPARE(s.endSample, 500);
                // A kept segment starting past the new end starts at sample 1.
                QCOMPARE(s.startSample, select ? 1 : 0);
                QCOMPARE(s.hasSegment, select);
                QVERIFY(!w->Command5->isEnabled());
                QVERIFY(!w->HScroll1->isEnabled());
                w->HScroll1->setValue(41);
                QCOMPARE(w->freq->text(), cursorFrequency);
            });
            QVERIFY(w->loadfile(second));
            QVERIFY(plotting > 0);
        }
    }

    // A release that comes while a load runs does not end the drag: ended
    // there, it would leave the press's start without a segment made of it
    // when the load fails.
    void releaseDuringALoadLeavesTheDragGoing()
    {
        auto w = window();
        w->Form_Load(first);
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        bool released = false;
        connect(w->ProgressBar1, &QProgressBar::valueChanged, w.get(), [&] {
            if (!std::exchange(released, true))
                QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(200, 20));
        });
        QVERIFY(!w->loadfile(truncated));
        QVERIFY(released);
        const Session &s = w->session();
        QVERIFY(s.isDragging);
        QVERIFY(!s.hasSegment);
        QCOMPARE(s.startSample, 604);
        QCOMPARE(w->Ss->text(), QStringLiteral(" 604"));
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(200, 20));
        QVERIFY(!s.isDragging);
        QVERIFY(s.hasSegment);
        QCOMPARE(s.endSample, 1207);
    }

    QString writeBytes(const QString &name, const std::string &bytes)
    {
        QFile file(QDir(dir.path()).filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(bytes.data(), qint64(bytes.size()));
        return file.fileName();
    }

    // Every format opens through the same load, with the figures and the
    // waveform of its values written as PSN text in m/s; the title tells of
    // values that cannot be m/s and of a low rate, and a failed load leaves
    // it as it was.
    void recordsOfEveryFormatAndWhatTheTitleSays()
    {
        std::vector<double> nanometres;
        std::vector<double> metres;
        for (int i = 0; i < 3000; ++i) {
            nanometres.push_back(std::round(2e5 * std::sin(i * 0.07)));
            metres.push_back(static_cast<float>(static_cast<float>(nanometres.back()) * 1e-9));
        }
        Sac sac;
        sac.values.assign(nanometres.begin(), nanometres.end());
        sac.idep = 7;
        sac.bigEndian = true;
        Type4 type4;
        type4.values = nanometres;
        type4.sampleType = 1;
        type4.sensitivity = 1e-7;   // cm/s per count: 1 nm/s
        std::vector<double> type4Metres;
        for (double v : nanometres)
            type4Metres.push_back(static_cast<float>(v * 1e-7 / 100));
        // The same values in mm/s, announced one short.
        std::string millimetres = "Number of Samples: 2999\r\nSPS: 100\r\nUnits: mm/s\r\nData:\r\n";
        std::vector<double> fromMillimetres;
        for (double v : nanometres) {
            millimetres += QByteArray::number(v / 1e6, 'g', 9).toStdString() + "\r\n";
            fromMillimetres.push_back(static_cast<float>(static_cast<float>(v / 1e6) / 1e3));
        }
        fromMillimetres.pop_back();
        struct Row { QString file, sameAs, title; };
        const Row rows[] = {
            {writeBytes("mm.psn", millimetres), writeRecord(dir, "metres.psn", fromMillimetres),
             "Sismavue \u2014 the data hold 3000 values but \"Number of Samples\" announces 2999: only the first "
             "2999 are read"},
            {writeBytes("event.SAC", sac.bytes()), writeRecord(dir, "sac.psn", metres), "Sismavue"},
            {writeBytes("event.psn", type4.bytes()), writeRecord(dir, "type4.psn", type4Metres), "Sismavue"},
            {counts, {}, "Sismavue \u2014 the largest value is 2058, which cannot be m/s: the values look like "
                         "counts; right-click the station to give a sensitivity"},
            {writeRecord(dir, "slow.psn", metres, 20), {},
             "Sismavue \u2014 at 20 samples per second the weighting attenuates 2 Hz by 3.4 dB more than at "
             "100 samples per second: levels read lower"},
        };
        for (const Row &row : rows) {
            messages.clear();
            auto w = window();
            w->Form_Load(row.file);
            QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
            QCOMPARE(w->windowTitle(), row.title);
            QVERIFY(!w->loadfile(truncated));
            QCOMPARE(w->windowTitle(), row.title);
            if (row.sameAs.isEmpty())
                continue;
            auto text = window();
            text->Form_Load(row.sameAs);
            QCOMPARE(w->MaxPeak->text(), text->MaxPeak->text());
            QCOMPARE(w->RMS->text(), text->RMS->text());
            QCOMPARE(w->Law->text(), text->Law->text());
            QCOMPARE(w->Picture1->image(), text->Picture1->image());
            QCOMPARE(w->Picture3->image(), text->Picture3->image());
        }
    }

    // A figure wider than its box shows from its start, whole in the
    // tooltip; one that fits has none, and typing keeps its cursor.
    void narrowBoxShowsTheFiguresStart()
    {
        auto w = window();
        w->Form_Load(writeRecord(dir, "huge.psn", spikes(800, {{5, 447954.338}})));
        const QString huge = w->MaxPeak->text();
        QVERIFY2(huge.startsWith(QStringLiteral("44739")), qPrintable(huge));
        QVERIFY(w->MaxPeak->fontMetrics().horizontalAdvance(huge) > w->MaxPeak->width());
        QCOMPARE(w->MaxPeak->cursorPosition(), 0);
        QCOMPARE(w->MaxPeak->toolTip(), huge);
        QCOMPARE(w->Fs->cursorPosition(), 0);
        QCOMPARE(w->Fs->toolTip(), QString());
        w->MaxPeak->setCursorPosition(3);
        QTest::keyClick(w->MaxPeak, Qt::Key_5);
        QCOMPARE(w->MaxPeak->cursorPosition(), 4);
        QCOMPARE(w->MaxPeak->toolTip(), w->MaxPeak->text());
    }

    // "Sensitivity…" on the station or component box writes the person's
    // table, keeping what else it holds, and loads the record again.
    void sensitivityMenuWritesTheTableAndLoadsAgain()
    {
        QTemporaryDir config;
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        const QString tablePath = config.path() + "/sismavue/sensitivities.tsv";
        QVERIFY(QDir().mkpath(config.path() + "/sismavue"));
        const auto writeTable = [&](const QByteArray &text) {
            QFile table(tablePath);
            return table.open(QIODevice::WriteOnly) && table.write(text) == text.size();
        };
        const auto table = [&] {
            QFile file(tablePath);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
        };
        QVERIFY(writeTable("# mine\nXYZ\t*\t5\n"));

        std::vector<double> scaled;
        for (int i = 0; i < 2000; ++i)
            scaled.push_back(static_cast<float>(static_cast<float>(2048 + std::round(10 * std::sin(i * 0.1))) / 1e6));
        auto text = window();
        text->Form_Load(writeRecord(dir, "scaled.psn", scaled));

        auto w = window();
        std::unique_ptr<QMenu> menu;
        const auto action = [&] {
            menu = w->sensitivitymenu();
            return menu->actions().value(0);
        };
        QVERIFY(!action()->isEnabled());
        w->Form_Load(anonymous);
        QVERIFY(!action()->isEnabled());
        w->Form_Load(counts);
        const QString countsPeak = w->MaxPeak->text();
        QCOMPARE(action()->text(), QStringLiteral("Sensitivity\u2026"));
        QVERIFY(action()->isEnabled());
        QStringList asked;
        std::optional<QString> answer = QStringLiteral("1e6");
        w->askSensitivity = [&](const QString &question, const QString &offered) {
            asked << question << offered;
            return answer;
        };
        action()->trigger();
        QCOMPARE(table(), QByteArray("# mine\nXYZ\t*\t5\nABC\tZ\t1e+06\n"));
        QVERIFY(asked.value(0).contains("station ABC, component Z"));
        QCOMPARE(asked.value(1), QString());
        QCOMPARE(w->MaxPeak->text(), text->MaxPeak->text());
        QCOMPARE(w->Law->text(), text->Law->text());
        QCOMPARE(w->windowTitle(), QStringLiteral("Sismavue"));

        // A wrong answer, or none, changes nothing; an empty one removes the line.
        for (const std::optional<QString> &kept : {std::optional<QString>("abc"), std::optional<QString>()}) {
            answer = kept;
            action()->trigger();
            QCOMPARE(table(), QByteArray("# mine\nXYZ\t*\t5\nABC\tZ\t1e+06\n"));
            QCOMPARE(w->MaxPeak->text(), text->MaxPeak->text());
        }
        QCOMPARE(messages, QStringList("\"abc\" is not a number of counts per m/s above 0."));
        QCOMPARE(asked.value(3), QStringLiteral("1e+06"));
        // Under a locale with a decimal comma the answer is offered and read
        // with it, and with "." too.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        for (const QString &typed : {QStringLiteral("3,5"), QStringLiteral("3.5")}) {
            answer = typed;
            action()->trigger();
            QCOMPARE(table(), QByteArray("# mine\nXYZ\t*\t5\nABC\tZ\t3.5\n"));
        }
        QCOMPARE(asked.value(asked.size() - 1), QStringLiteral("3,5"));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(messages, QStringList("\"abc\" is not a number of counts per m/s above 0."));
        answer = QString();
        action()->trigger();
        QCOMPARE(table(), QByteArray("# mine\nXYZ\t*\t5\n"));
        QCOMPARE(w->MaxPeak->text(), countsPeak);

        // A table that cannot be read stops the load, naming its line.
        messages.clear();
        QVERIFY(writeTable("# mine\nbroken\n"));
        QVERIFY(!w->loadfile(first));
        QCOMPARE(messages, QStringList(tablePath + ": line 2: expected STATION<TAB>COMPONENT<TAB>SENSITIVITY"));
        QCOMPARE(w->MaxPeak->text(), countsPeak);
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    // Of a file of several channels the person picks one, listed with its
    // start time and length, the vertical offered first; Cancel leaves the
    // window as it was, and the load for a new sensitivity keeps the channel
    // without asking again.
    void channelOfAFileOfSeveralIsAskedFor()
    {
        QTemporaryDir config;
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        MiniSeed north, vertical;
        north.channel = "EHN";
        vertical.channel = "EHZ";
        std::vector<double> scaled;
        for (int i = 0; i < 3000; ++i) {
            north.values.push_back(std::round(500 * std::sin(i * 0.1)));
            vertical.values.push_back(std::round(900 * std::sin(i * 0.2)));
            scaled.push_back(static_cast<float>(north.values.back() / 1e3));
        }
        const QString both = writeBytes("both.mseed", interleaved({north.bytes(), vertical.bytes()}));
        auto text = window();
        text->Form_Load(writeRecord(dir, "north.psn", scaled));

        auto w = window();
        QStringList offered;
        int first = -1, asked = 0;
        std::optional<int> answer = 0;
        w->chooseChannel = [&](const QStringList &channels, int at) {
            ++asked;
            offered = channels;
            first = at;
            return answer;
        };
        w->Form_Load(both);
        const QString listed = QStringLiteral(", from 2024-03-01 10:00:00.000000 UTC, 3000 samples (30 s)");
        QCOMPARE(offered, QStringList({"EHN" + listed, "EHZ" + listed}));
        QCOMPARE(first, 1);
        QCOMPARE(w->Label9->text(), QStringLiteral("BGLD"));
        QCOMPARE(w->Label10->text(), QStringLiteral("EHN"));
        QCOMPARE(w->Es->text(), QStringLiteral(" 3000"));

        w->askSensitivity = [](const QString &, const QString &) { return QStringLiteral("1e3"); };
        w->setsensitivity();
        QCOMPARE(asked, 1);
        QCOMPARE(w->Label10->text(), QStringLiteral("EHN"));
        QCOMPARE(w->MaxPeak->text(), text->MaxPeak->text());
        QCOMPARE(w->Picture1->image(), text->Picture1->image());

        answer.reset();
        const QImage wave = w->Picture1->image();
        const QString peak = w->MaxPeak->text();
        w->Label2->setText(this->first);
        QVERIFY(w->loadfile(this->first));
        const Session before = w->session();
        w->Label2->setText(both);
        QVERIFY(!w->loadfile(both));
        QCOMPARE(asked, 2);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QCOMPARE(w->Label2->text(), this->first);
        QCOMPARE(w->Label10->text(), QStringLiteral("Z"));
        QCOMPARE(w->session().samples, before.samples);
        QCOMPARE(w->ProgressBar1->value(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    void noSecondLoadWhileOneRuns()
    {
        auto w = window();
        int dialogs = 0;
        w->chooseFile = [&](const QString &) {
            ++dialogs;
            return std::optional<QString>(second);
        };
        bool ran = false;
        QTimer::singleShot(0, w.get(), [&] {
            ran = true;
            w->Command3_Click();
            w->Label2_OLEDragDrop({second});
        });
        w->Form_Load(first);
        QVERIFY(ran);
        QCOMPARE(dialogs, 0);
        QCOMPARE(w->session().sampleCount, 3000);
        QCOMPARE(w->Label2->text(), first);
    }
};

QTEST_MAIN(LoadingTest)
#include "tst_loading.moc"
