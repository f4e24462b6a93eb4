#pragma once

#include "session/session.h"
#include "window/pictureview.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QProgressBar;
class QPushButton;
class QScrollBar;

struct AnalysedRecord;

// The one window: its controls keep their layout names, and its handlers and
// procedures work on the session it owns. Every figure, text layout and
// coordinate comes from the core; this class only draws, sets texts and
// enables controls.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

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
    // The system beep. Replaceable, for tests.
    std::function<void()> beep;
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
    bool loadfile(const QString &fileName);
    // The context menu of the station and component boxes.
    std::unique_ptr<QMenu> sensitivitymenu();
    // Asks the record's sensitivity, writes it into the person's table and
    // loads the record again.
    void setsensitivity();
    void plotwave();
    void computefft();

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

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void setTabOrder();
    void fitFont();
    void takeRecord(AnalysedRecord &&record);
    void shownotices(const AnalysedRecord &record);
    void showFigures(double peak, double rms, float lawMaxSlow);
    void keepSegmentAfterLoad();
    void clearSpectrumView();
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
    std::optional<double> loadedSensitivity;   // counts per m/s of that record, when used
    bool busy = false;            // a load or a spectrum computation is running
    bool hourglass = false;
    QElapsedTimer sinceEvents;    // time since pending events last ran
    // The band as it is on Picture1 (start and end x in twips), so that it
    // is always removed by drawing exactly the same figure.
    std::optional<std::pair<double, double>> shownBand;
};
