// Pictures of the window: "Save Picture..." and the pictures of
// sismavue-report --plot, which must be the window's own drawing.
#include "../record/mseedwriter.h"
#include "analysis/loadrecord.h"
#include "spectrum/segmentspectrum.h"
#include "testrecord.h"
#include "views/selection.h"
#include "window/mainwindow.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QtTest>

#include <cmath>

namespace {

const QRgb green = qRgb(0, 255, 0);
const QRgb red = qRgb(255, 0, 0);

// The part of a picture at `scale` that shows `view`.
QImage viewIn(const QImage &picture, const QWidget *view, int scale)
{
    return picture.copy(QRect(view->pos() * scale, view->size() * scale));
}

bool near(QRgb pixel, QRgb colour)
{
    return std::abs(qRed(pixel) - qRed(colour)) < 60 && std::abs(qGreen(pixel) - qGreen(colour)) < 60 &&
           std::abs(qBlue(pixel) - qBlue(colour)) < 60;
}

} // namespace

class PictureTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString sine;
    std::unique_ptr<MainWindow> w;

    // The record, samples 997..3000 selected with the mouse, the spectrum
    // computed and, unless for a plot, the cursor on line 100.
    void openSelectAndCompute(bool cursor = true)
    {
        w = std::make_unique<MainWindow>();
        w->showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
        w->Form_Load(sine);
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(121, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(364, 20));
        QCOMPARE(w->session().startSample, 997);
        QCOMPARE(w->session().endSample, 3000);
        w->Command1_Click();
        if (cursor)
            w->HScroll1->setValue(100);
    }

    // The title in a PDF's metadata, as pdfinfo gives it.
    static QString pdfTitle(const QString &pdf)
    {
        QProcess info;
        info.start("pdfinfo", {pdf});
        if (!info.waitForFinished(60000))
            return QStringLiteral("pdfinfo failed");
        for (const QString &line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
            if (line.startsWith(QLatin1String("Title:")))
                return line.mid(6).trimmed();
        return QString();
    }

    // Runs sismavue-report; its exit status, standard error in `err`.
    int report(const QStringList &arguments, QString *err = nullptr)
    {
        QProcess process;
        process.start(QStringLiteral(REPORT_PATH), arguments);
        if (!process.waitForFinished(60000))
            return -1;
        if (err)
            *err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        std::vector<double> values(4096);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = 0.001 * std::cos(2 * M_PI * 100 * double(i + 1) / 2048) * (i % 700) / 700;
        sine = writeRecord(dir, "sine.psn", values);
    }

    // At its own size the picture holds exactly the views' pixels, band and
    // cursor included; the views stay as they were.
    void pictureHoldsTheViewsAsShown()
    {
        openSelectAndCompute();
        const QImage wave = w->Picture1->image(), spectrum = w->Picture2->image();
        const QImage picture = w->drawpicture(1);
        QCOMPARE(picture.size(), QSize(686, 555));
        QCOMPARE(viewIn(picture, w->Picture1, 1), wave);
        QCOMPARE(viewIn(picture, w->Picture2, 1), spectrum);
        QCOMPARE(viewIn(picture, w->Picture3, 1), w->Picture3->image());

        const QImage twice = w->drawpicture(2);
        QCOMPARE(twice.size(), QSize(1372, 1110));
        QCOMPARE(w->Picture1->image(), wave);
        QCOMPARE(w->Picture2->image(), spectrum);
        // 71 dB at 39/110 of the level view's 300 device rows.
        const QImage level = viewIn(twice, w->Picture3, 2);
        QCOMPARE(level.pixel(11, 106), green);
        QVERIFY(level.pixel(11, 105) != green);
        QVERIFY(level.pixel(11, 107) != green);
    }

    void ctrlSSavesThePictureAsPngOrPdf()
    {
        openSelectAndCompute();
        QStringList offered;
        QString answer = dir.filePath("saved.png");
        w->choosePictureFile = [&](const QString &suggested) {
            offered << suggested;
            return std::optional<QString>(answer);
        };
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(offered, QStringList(sine + ".png"));
        const QImage saved(answer);
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), w->drawpicture(2));

        // The PDF draws the views as vectors; rendered at twice the window's
        // size it shows the 71 dB line and the band where they belong.
        answer = dir.filePath("saved.pdf");
        QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
        QProcess render;
        render.start("pdftoppm", {"-r", "144", "-png", "-singlefile", answer, dir.filePath("pdf")});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        const QImage page = QImage(dir.filePath("pdf.png")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page.size(), QSize(1372, 1110));
        QCOMPARE(pdfTitle(answer), QStringLiteral("sine.psn"));
        const QImage level = viewIn(page, w->Picture3, 2);
        QVERIFY(near(level.pixel(500, 106), green) || near(level.pixel(500, 107), green));
        QVERIFY(near(level.pixel(500, 100), qRgb(255, 255, 255)));
        // The band, samples 997 to 3000 of 4096, red over the white ground.
        const QImage wave = viewIn(page, w->Picture1, 2);
        QVERIFY(near(wave.pixel(400, 2), red));
        QVERIFY(near(wave.pixel(200, 2), qRgb(255, 255, 255)));
    }

    // sismavue-report --plot draws the window as a drag and "OK" leave it.
    void plotIsTheWindowsOwnDrawing()
    {
        openSelectAndCompute(false);
        const QString folder = dir.filePath("plots");
        QCOMPARE(report({"--plot", folder, "--plot-scale", "1", "--segment", "997:3000", sine}), 0);
        const QImage plot(QDir(folder).filePath("sine.psn.png"));
        QCOMPARE(plot.convertToFormat(QImage::Format_RGB32), w->drawpicture(1));
    }

    // At twice the size, lines one device pixel wide where the geometry
    // puts them: the 71 dB line at row 106.36 of 300, the band from sample
    // 997 to 3000 of 4096 over columns 241.9 to 728.03 of 994, the largest
    // spectral line (100 of 1024) in column 97.07.
    void plotAtScaleTwoPutsTheLinesWhereTheyBelong()
    {
        openSelectAndCompute(false);
        const QString folder = dir.filePath("twice");
        QCOMPARE(report({"--plot", folder, "--segment", "997:3000", sine}), 0);
        const QImage plot =
            QImage(QDir(folder).filePath("sine.psn.png")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(plot.size(), QSize(1372, 1110));
        const QImage level = viewIn(plot, w->Picture3, 2);
        for (int x = 0; x < level.width(); x += 9) {
            QCOMPARE(level.pixel(x, 106), green);
            QVERIFY(level.pixel(x, 105) != green && level.pixel(x, 107) != green);
        }
        const QImage wave = viewIn(plot, w->Picture1, 2);
        QCOMPARE(wave.pixel(240, 0), qRgb(255, 255, 255));
        QCOMPARE(wave.pixel(241, 0), red);
        QCOMPARE(wave.pixel(728, 0), red);
        QCOMPARE(wave.pixel(729, 0), qRgb(255, 255, 255));
        const QImage spectrum = viewIn(plot, w->Picture2, 2);
        QCOMPARE(spectrum.pixel(97, 0), qRgb(0, 0, 0));
        QCOMPARE(spectrum.pixel(96, 0), qRgb(255, 255, 255));
        QCOMPARE(spectrum.pixel(98, 0), qRgb(255, 255, 255));
    }

    // A file of several channels gives a picture of each, named for it.
    void plotDrawsAPicturePerChannel()
    {
        MiniSeed north, vertical;
        north.channel = "EHN";
        vertical.channel = "EHZ";
        for (int i = 0; i < 3000; ++i) {
            north.values.push_back(std::round(500 * std::sin(i * 0.1)));
            vertical.values.push_back(std::round(900 * std::sin(i * 0.2)));
        }
        const QString file = dir.filePath("two.mseed");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        const std::string bytes = interleaved({north.bytes(), vertical.bytes()});
        out.write(bytes.data(), qint64(bytes.size()));
        out.close();
        const QString folder = dir.filePath("channels");
        QCOMPARE(report({"--plot", folder, "--plot-scale", "1", file}), 0);
        for (const char *channel : {"EHN", "EHZ"}) {
            ReadOptions options;
            options.channel = channel;
            LoadResult loaded = loadRecord(file.toStdString(), options);
            AnalysedRecord &record = std::get<AnalysedRecord>(loaded);
            const SegmentBounds whole{0, record.sampleCount, false};
            const SegmentSpectrum spectrum = segmentSpectrum(record.samples, 0, record.sampleCount);
            MainWindow window;
            window.plotrecord(file, std::move(record), whole, spectrum);
            const QImage plot(QDir(folder).filePath(QStringLiteral("two.mseed.%1.png").arg(channel)));
            QCOMPARE(plot.convertToFormat(QImage::Format_RGB32), window.drawpicture(1));

            // The window offers the same name for the channel it shows.
            auto opened = std::make_unique<MainWindow>();
            const int listed = std::string(channel) == "EHN" ? 0 : 1;   // in file order
            opened->chooseChannel = [&](const QStringList &, int) { return std::optional<int>(listed); };
            opened->Form_Load(file);
            QStringList offered;
            opened->choosePictureFile = [&](const QString &suggested) {
                offered << suggested;
                return std::nullopt;
            };
            opened->savepicture();
            QCOMPARE(offered, QStringList(file + QStringLiteral(".%1.png").arg(channel)));
        }
    }

    // A second run does not replace the pictures unless told to; the PDF
    // renders.
    void plotKeepsExistingFilesWithoutForce()
    {
        const QString folder = dir.filePath("again");
        QCOMPARE(report({"--plot", folder, "--plot-format", "pdf", sine}), 0);
        const QString pdf = QDir(folder).filePath("sine.psn.pdf");
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.write("kept");
        file.close();
        QString err;
        QCOMPARE(report({"--plot", folder, "--plot-format", "pdf", sine}, &err), 1);
        QVERIFY2(err.contains(pdf + ": exists already"), qPrintable(err));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(4), QByteArray("kept"));
        file.close();
        QCOMPARE(report({"--plot", folder, "--plot-format", "pdf", "--force", sine}), 0);
        QProcess render;
        render.start("pdftoppm", {"-r", "144", "-png", "-singlefile", pdf, dir.filePath("plotted")});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        QCOMPARE(QImage(dir.filePath("plotted.png")).size(), QSize(1372, 1110));
        QCOMPARE(pdfTitle(pdf), QStringLiteral("sine.psn"));
    }

    // Also on the level view, which is never enabled.
    void everyViewOffersSavePictureOnRightClick()
    {
        openSelectAndCompute();
        int dialogs = 0;
        w->choosePictureFile = [&](const QString &) {
            ++dialogs;
            return std::nullopt;
        };
        for (PictureView *view : {w->Picture1, w->Picture2, w->Picture3}) {
            QString offered;
            QTimer::singleShot(0, this, [&] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                QVERIFY(menu);
                offered = menu->actions().value(0)->text();
                menu->actions().value(0)->trigger();
                menu->close();
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(30, 30), view->mapToGlobal(QPoint(30, 30)));
            QCoreApplication::sendEvent(view, &event);
            QCOMPARE(offered, QStringLiteral("Save Picture\u2026"));
        }
        QCOMPARE(dialogs, 3);
    }
};

QTEST_MAIN(PictureTest)
#include "tst_picture.moc"
