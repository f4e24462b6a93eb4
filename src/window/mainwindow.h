#pragma once

#include "session/session.h"
#include "views/recorddetail.h"
#include "window/pictureview.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

class QAction;
class QContextMenuEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QGroupBox;
class QHelpEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QProgressBar;
class QPushButton;
class QScrollBar;

class AssessWindow;
class DetailWindow;
struct AnalysedRecord;
struct LoadError;
struct LoadOptions;
struct RecordEntry;
struct SegmentBounds;
struct SegmentSpectrum;

// The one window: its controls keep their layout names, and its handlers and
// procedures work on the session it owns. Every figure, text layout and
// coordinate comes from the core; this class only draws, sets texts and
// enables controls.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    // The detail and assessment windows go first: they read this window's
    // record while they are torn down.
    ~MainWindow() override;

    // Runs once before the window is first shown; commandLine is every
    // argument after the program name, joined by single blanks.
    void Form_Load(const QString &commandLine);

    // The arguments after the program name as one file name text.
    static QString joinCommandLine(const QStringList &arguments);
    // One leading and then one trailing double quote removed, nothing else.
    static QString stripQuotes(QString name);

    // The file-open dialog: given the initial file name, returns the chosen
    // full path, or nothing on cancel. Replaceable, for tests.
    std::function<std::optional<QString>(const QString &initialName)> chooseFile;
    // Shows a failure to the person. Replaceable, for tests.
    std::function<void(const QString &text)> showMessage;
    // The save dialog of "Save Picture...": given a suggested path, returns
    // the chosen one ending in .png or .pdf, or nothing on cancel.
    // Replaceable, for tests.
    std::function<std::optional<QString>(const QString &suggestedName)> choosePictureFile;
    // The system beep. Replaceable, for tests.
    std::function<void()> beep;
    // Asks which record of a file of several (channels, or pieces of a
    // channel) to open: given their descriptions in file order and the one
    // to offer first, returns the index of the one chosen, or nothing on
    // cancel. Replaceable, for tests.
    std::function<std::optional<int>(const QStringList &choices, int offered)> chooseChannel;
    // Asks for a sensitivity: given the question and the text to offer,
    // returns the text entered, or nothing on cancel. Replaceable, for tests.
    std::function<std::optional<QString>(const QString &question, const QString &offered)>
        askSensitivity;

    const Session &session() const { return state; }

    // Handlers and procedures, under the names of the layout.
    void Form_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    bool Label2_OLEDragOver(const QMimeData *data, Qt::DropActions possible) const;
    // The files in dropped order; the last one is loaded.
    void Label2_OLEDragDrop(const QStringList &files);
    void DropFile(QLabel *target, const QString &fileName);
    void Picture1_MouseDown(Qt::MouseButtons buttons, QPointF pos);
    void Picture1_MouseMove(Qt::MouseButtons buttons, QPointF pos);
    void Picture1_MouseUp(Qt::MouseButton button, QPointF pos);
    void Picture2_MouseDown(Qt::MouseButtons buttons, QPointF pos);
    void Picture2_MouseMove(Qt::MouseButtons buttons, QPointF pos);
    void HScroll1_Change();
    // Of a file of several channels, loads `channel` (its piece `piece` of
    // several), or the one the person chooses when it is empty (or there is
    // no such piece).
    bool loadfile(const QString &fileName, const std::string &channel = {}, int piece = -1);
    // The context menu of the station and component boxes.
    std::unique_ptr<QMenu> sensitivitymenu();
    // Asks the record's sensitivity, writes it into the person's table and
    // loads the record again.
    void setsensitivity();
    void plotwave();
    void computefft();

    // The detail window (Ctrl+D, a double click on the waveform or level
    // view, "Detail..." in their menu), made the first time.
    void opendetail();
    DetailWindow *detailwindow() const { return detail; }
    // What the detail window draws of the record shown; null without one.
    const RecordDetail *recorddetail() const { return shownDetail.get(); }
    // The assessment window (Ctrl+E, "Assess..." in the views' menu), made
    // the first time.
    void openassess();
    AssessWindow *assesswindow() const { return assess; }
    // The record shown: its file and, of a file of several records, its
    // channel's name and piece (empty and -1 for a file of one).
    const QString &recordfile() const { return loadedFile; }
    const std::string &recordchannel() const { return loadedChoice.channel; }
    int recordpiece() const { return loadedChoice.piece; }
    // The segment a drag in the waveform view from sample `press` to sample
    // `release` makes, made as that drag makes it.
    void dragsegment(int32_t press, int32_t release);

    // "Save Picture...": the window as it is, at pictureScale(), through the
    // save dialog, as PNG or PDF by the name's ending.
    void savepicture();
    // The client area drawn into an image at `scale` times its size (text,
    // lines, band and cursor drawn at that resolution), never grabbed from
    // a screen.
    QImage drawpicture(int scale);
    // The same into `image`, of that size and format RGB32.
    void drawpicture(QImage &image, int scale);
    // The same as one PDF page, the views' lines as vectors.
    QByteArray drawpdf();
    // Writes drawpicture(scale) as PNG, or drawpdf() when the name ends in
    // .pdf; on failure returns the reason.
    std::optional<QString> writepicture(const QString &fileName, int scale);
    // Twice the window's size, or the screen's pixel ratio when larger.
    int pictureScale() const;
    // The window as it shows `record`, read from fileName, after a load, a
    // drag over `segment` and "OK - compute FFT" giving `spectrum`, with no
    // cursor: what sismavue-report --plot draws.
    void plotrecord(const QString &fileName, AnalysedRecord &&record, const SegmentBounds &segment,
                    const SegmentSpectrum &spectrum);

    // Controls, under the names of the layout.
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9,
        *Label10, *Label11, *Label12, *Label13, *Label14, *Label15, *Label16, *Label17,
        *Label18, *Label19, *Label20;
    QLineEdit *Ss, *Es, *Fs, *MaxPeak, *RMS, *Law, *Fmax;
    QLabel *freq, *value;
    QPushButton *Command1, *Command2, *Command3, *Command4, *Command5;
    QGroupBox *Frame1;
    QScrollBar *HScroll1;
    QProgressBar *ProgressBar1;
    PictureView *Picture1, *Picture2, *Picture3;

signals:
    // Another record is shown; another segment is selected (or the whole
    // record again).
    void recordChanged();
    void segmentChanged();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createControls();
    void createShortcuts();
    void createAssessAction();
    void setTabOrder();
    bool takeFileDrag(QEvent *event);
    std::optional<QString> choosePictureFileByDialog(const QString &suggestedName);
    std::optional<int> chooseChannelByDialog(const QStringList &choices, int offered);
    static QString entryText(const RecordEntry &entry);
    // Of a file of several records, which one: the channel's name and the
    // index of the entry among those listed for it.
    struct RecordChoice {
        std::string channel;
        int piece = -1;
        std::string tag;   // what a picture's name carries (entryTag)
    };
    std::variant<AnalysedRecord, LoadError> readAndAnalyse(const std::string &path, const RecordChoice &wanted,
                                                           std::optional<RecordChoice> &chosen);
    bool cursorKey(QKeyEvent *event);
    void showPathTip(QHelpEvent *event);
    void fitFont();
    void takeRecord(AnalysedRecord &&record);
    void followload(LoadOptions &options);
    std::unique_ptr<RecordDetail> finishload(const AnalysedRecord &record);
    void shownotices(const AnalysedRecord &record);
    void showtitle();
    void showkeptsegment(bool kept);
    void showFigures(double peak, double rms, float lawMaxSlow);
    void keepSegmentAfterLoad();
    void clearSpectrumView();
    void drawspectrum(const SegmentSpectrum &result);
    void spectrumReady();
    void toggleBand(double startX, double endX);
    void eraseShownBand();
    void drawCursor(int16_t bin, float value);
    void setProgress(double percent);
    void letEventsRun();
    void setHourglass(bool on);
    QString number(const std::string &text) const;
    std::string decimalSeparator() const;
    void putOnClipboard(const std::string &text);

    Session state;
    QString loadedFile;           // the record in the session, for a failed load
    RecordChoice loadedChoice;    // of a file of several records, the one in the session
    std::optional<double> loadedSensitivity;   // counts per m/s of that record, when used
    bool busy = false;            // a load or a spectrum computation is running
    bool hourglass = false;
    QElapsedTimer sinceEvents;    // time since pending events last ran
    QAction *savePictureAction = nullptr;
    QStringList recordNotices;    // what the title says about the record shown
    QString keptNotice;           // what it says of a segment kept from the record before
    QAction *detailAction = nullptr;
    std::unique_ptr<RecordDetail> shownDetail;   // of the record in the session
    // Made by the load under way (on its levels' thread, while busy).
    std::optional<RecordDetailBuilder> loadingDetail;
    DetailWindow *detail = nullptr;              // a child window, once opened
    QAction *assessAction = nullptr;
    AssessWindow *assess = nullptr;              // a child window, once opened
    // The band as it is on Picture1 (start and end x in twips), so that it
    // is always removed by drawing exactly the same figure.
    std::optional<std::pair<double, double>> shownBand;
};
