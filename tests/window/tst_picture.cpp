// Pictures of the window: "Save Picture..." and the pictures of
// sismavue-report --plot, which must be the window's own drawing.
#include "testrecord.h"
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
    // computed and the cursor on line 100.
    void openSelectAndCompute()
    {
        w = std::make_unique<MainWindow>();
        w->showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
        w->Form_Load(sine);
        QTest::mousePress(w->Picture1, Qt::LeftButton, {}, QPoint(121, 20));
        QTest::mouseRelease(w->Picture1, Qt::LeftButton, {}, QPoint(364, 20));
        QCOMPARE(w->session().startSample, 997);
        QCOMPARE(w->session().endSample, 3000);
        w->Command1_Click();
        w->HScroll1->setValue(100);
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
        const QImage level = viewIn(page, w->Picture3, 2);
        QVERIFY(near(level.pixel(500, 106), green) || near(level.pixel(500, 107), green));
        QVERIFY(near(level.pixel(500, 100), qRgb(255, 255, 255)));
        // The band, samples 997 to 3000 of 4096, red over the white ground.
        const QImage wave = viewIn(page, w->Picture1, 2);
        QVERIFY(near(wave.pixel(400, 2), red));
        QVERIFY(near(wave.pixel(200, 2), qRgb(255, 255, 255)));
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
