#pragma once

#include "views/detailview.h"
#include "window/axisstrip.h"
#include "window/pictureview.h"

#include <QWidget>

#include <functional>
#include <optional>

class ExceedanceModel;
class MainWindow;
class QLabel;
class QTableView;
struct RecordDetail;

// The second window: the record's waveform and slow level on one time axis,
// zoomed with the wheel, + and -, panned by dragging and with the arrow
// keys, Home for the whole record; every pixel column shows the smallest
// and largest sample of its span. Shift+drag selects a segment in the main
// window as a drag in its waveform view does. Beside the views, the
// exceedances of the record: choosing one zooms to it, activating one
// (double click, Enter) selects it. It reads the main window's session and
// never changes it but through the main window's own selection.
class DetailWindow : public QWidget {
    Q_OBJECT

public:
    explicit DetailWindow(MainWindow &main);

    // The stretch shown; held inside the record and drawn.
    DetailSpan shown() const { return span; }
    void showSpan(DetailSpan s);
    void showWholeRecord();

    // The waveform view's vertical full scale, m/s: its top edge.
    double waveFullScale() const { return fullScale; }

    // "Save Picture...": this window as it is shown, PNG or PDF.
    void savepicture();
    // The save dialog; replaceable, for tests.
    std::function<std::optional<QString>(const QString &suggestedName)> choosePictureFile;

    PictureView *waveView, *levelView;
    AxisStrip *waveAxis, *levelAxis, *timeAxis;
    QLabel *listTitle;
    QTableView *exceedanceList;

public slots:
    // The main window shows another record, or another segment of it.
    void recordChanged();
    void segmentChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void createList();
    bool viewMouse(PictureView *view, QEvent *event);
    void toggleSelectionBand(double fromX, double toX);
    void zoomToExceedance(int row);
    void selectExceedance(int row);
    const RecordDetail *detail() const;

    void redraw();
    void drawWave(int columns, int rows);
    void drawLevel(int columns, int rows);
    void drawSegmentBand(PictureView *view, int columns, int rows);
    void drawAxes();

    MainWindow &main;
    ExceedanceModel *exceedanceModel;
    DetailSpan span;
    double fullScale = 1;
    // A press in a view: where, with the stretch then shown, and whether it
    // selects (Shift) or pans.
    struct Press {
        double x = 0;
        DetailSpan span;
        bool selects = false;
        std::optional<double> bandTo;   // the selection band's moving edge, in columns
    };
    std::optional<Press> press;
};
