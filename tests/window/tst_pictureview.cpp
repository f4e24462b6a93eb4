#include "window/pictureview.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QColor cyan(0, 255, 255);
const QRgb white = qRgb(255, 255, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb black = qRgb(0, 0, 0);

// Twips of pixel column or row p.
float tw(int p) { return static_cast<float>(p * PictureView::twipsPerPixel); }

} // namespace

class PictureViewTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        view = std::make_unique<PictureView>();
        view->setFixedSize(100, 50);
        view->cls();
    }

    void xorBoxShowsRedOverWhiteCyanOverBlackAndUndoesExactly()
    {
        view->line({tw(40), 0, tw(40), tw(50)}, Qt::black);
        const QImage before = view->image();
        QCOMPARE(before.pixel(40, 10), black);

        view->setDrawMode(PictureView::XorPen);
        view->box({tw(20), 0, tw(60), tw(50)}, cyan);
        const QImage &img = view->image();
        QCOMPARE(img.pixel(30, 10), red);
        QCOMPARE(img.pixel(40, 10), cyan.rgb());
        // Both edges and the first and last rows belong to the box.
        QCOMPARE(img.pixel(20, 0), red);
        QCOMPARE(img.pixel(60, 49), red);
        QCOMPARE(img.pixel(19, 10), white);
        QCOMPARE(img.pixel(61, 10), white);

        view->box({tw(20), 0, tw(60), tw(50)}, cyan);
        QCOMPARE(view->image(), before);
    }

    void boxCornersInAnyOrderCoverTheSamePixels()
    {
        view->setDrawMode(PictureView::XorPen);
        view->box({tw(12), 0, tw(5), tw(19)}, cyan);
        const QImage reversed = view->image();
        view->box({tw(12), 0, tw(5), tw(19)}, cyan);
        view->box({tw(5), 0, tw(12), tw(19)}, cyan);
        QCOMPARE(view->image(), reversed);
        QCOMPARE(reversed.pixel(5, 19), red);
        QCOMPARE(reversed.pixel(12, 0), red);
    }

    void xorLinesTwiceRestoreTheImage()
    {
        view->setScale(0, 1, 1024, -1);
        for (int k = 0; k < 1024; k += 7)
            view->line({float(k), 0, float(k), float(k % 100) / 100}, Qt::black);
        const QImage before = view->image();
        view->setDrawMode(PictureView::XorPen);
        const std::vector<PlotSegment> cursor = {{300, 0, 300, 1}, {285, 0.4f, 315, 0.4f}};
        view->lines(cursor, cyan);
        QVERIFY(view->image() != before);
        view->lines(cursor, cyan);
        QCOMPARE(view->image(), before);
    }

    void customScaleRunsUpwardsFromTheBottom()
    {
        view->setScale(0, 1, 1024, -1);
        view->line({512, 0, 512, 1}, Qt::black);
        // x = 512 of 1024 is column 50 of 100; y = 1 is the top row.
        QCOMPARE(view->image().pixel(50, 0), black);
        QCOMPARE(view->image().pixel(50, 49), black);
        QCOMPARE(view->image().pixel(49, 25), white);
        view->cls();
        view->line({0, 0.5f, 1024, 0.5f}, Qt::black);
        QCOMPARE(view->image().pixel(10, 25), black);
        QCOMPARE(view->image().pixel(10, 24), white);
    }

    void farCoordinatesAreClippedNotWrapped()
    {
        view->line({0, 1e30f, tw(99), -1e30f}, Qt::black);
        view->line({0, tw(10), tw(99), tw(10)}, Qt::black);
        QCOMPARE(view->image().pixel(50, 10), black);
    }

    void drawingIsKeptAndPaintedWhileNeverShown()
    {
        view->line({0, tw(5), tw(99), tw(5)}, Qt::blue);
        QVERIFY(!view->isVisible());
        const QImage painted = view->grab().toImage();
        QCOMPARE(painted.pixel(70, 5), qRgb(0, 0, 255));
        QCOMPARE(painted.pixel(70, 6), white);
    }

    void mouseEventsCarryButtonsAndUserCoordinates()
    {
        QSignalSpy down(view.get(), &PictureView::mouseDown);
        QSignalSpy up(view.get(), &PictureView::mouseUp);
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(10, 4));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(20, 4));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down[0][0].value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::LeftButton));
        QCOMPARE(down[0][1].toPointF(), QPointF(150, 60));
        QCOMPARE(up[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(up[0][1].toPointF(), QPointF(300, 60));

        view->setScale(0, 1, 1024, -1);
        QTest::mousePress(view.get(), Qt::RightButton, {}, QPoint(25, 0));
        QCOMPARE(down[1][1].toPointF(), QPointF(256, 1));
        QTest::mouseRelease(view.get(), Qt::RightButton, {}, QPoint(25, 0));
        QCOMPARE(up[1][0].value<Qt::MouseButton>(), Qt::RightButton);
    }

private:
    std::unique_ptr<PictureView> view;
};

QTEST_MAIN(PictureViewTest)
#include "tst_pictureview.moc"
