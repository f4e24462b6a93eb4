#pragma once

#include "assess/companions.h"
#include "session/threads.h"
#include "window/assessfigures.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class AssessView;
class MainWindow;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// The assessment window: the record the main window shows, with the other
// two components of its station, against DIN 4150-3 (structures) and
// DIN 4150-2 (people in buildings). It finds the companions by what the
// files of the record's folder say of their records, reads them, and
// assesses the set whenever a choice, the record or its segment changes.
// The work runs on a helper thread, one piece at a time; figures that are
// no longer current are veiled until the new ones come. It reads the main
// window and never changes it.
class AssessWindow : public QWidget {
    Q_OBJECT

public:
    explicit AssessWindow(MainWindow &main);
    // The helper is stopped first: it may be telling this window of work done.
    ~AssessWindow() override;

    // The file dialog of "Add File…" and the save dialog; replaceable, for tests.
    std::function<std::optional<QString>()> chooseFile;
    std::function<std::optional<QString>(const QString &suggestedName)> choosePictureFile;

    // Work is under way: the figures shown, if any, are not current.
    bool isBusy() const;
    // The figures shown; null before the first.
    const AssessFigures *figures() const { return shown.get(); }
    // The files whose records are assessed, the record's own first.
    std::vector<std::string> files() const;

    // Adds a file to the assessment; a file already there is left as it is.
    void addFile(const QString &path);
    // Drops the file of the list's row `row`; the record's own file stays.
    void dropFile(int row);
    // The rows sismavue-report --assess prints for the figures shown, as
    // Copy puts them on the clipboard; empty while the figures are not
    // current.
    QString copyText(Standard standard) const;
    void copyRows(Standard standard);
    // The report's picture of the figures shown, through the save dialog,
    // as PNG at the screen's ratio or 2, or as PDF by the name's ending.
    void savePicture(Standard standard);
    // What hovering over the chart at `at` shows: the figures of the point
    // there; empty where there is none.
    QString chartTipAt(QPointF at) const;

    QListWidget *componentList;
    QPushButton *addButton, *dropButton, *copyButton, *copyPeopleButton, *savePictureButton;
    QComboBox *buildingBox, *placeBox, *frequencyBox, *areaBox, *periodBox;
    QDoubleSpinBox *exposureBox;
    QLabel *statusLabel, *verdictLabel, *peopleLabel, *notesLabel, *noticeLabel;
    AssessView *stripView, *chartView, *traceView;
    QTableWidget *table;

signals:
    // Figures have been shown, current ones; or the work has stopped
    // without any (no record, a failure).
    void settled();

public slots:
    // The main window shows another record, or another segment of it.
    void recordChanged();
    void segmentChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // What a piece of work gives back to the window's thread.
    struct OwnFile {   // the record's own file looked into
        std::variant<std::vector<RecordEntry>, LoadError> entries;
        std::vector<std::string> folder;   // the folder's files, to look through next
    };
    struct Found {     // some of the folder's files looked through
        std::vector<FileEntry> entries;
        std::size_t count = 0;
    };
    using Read = std::vector<std::vector<AssessInput>>;   // the records of each file read
    using Outcome = std::variant<std::monostate, OwnFile, Found, Read, std::shared_ptr<const AssessFigures>>;
    struct Job {
        uint64_t generation = 0;
        std::function<Outcome()> run;
        Outcome outcome;
        std::string failure;   // what run threw
    };
    // Where the work stands for the current record.
    enum class Stage { none, ownFile, folder, reading, computing, done };

    void createControls();
    void createChoosers(QWidget *box);
    void createTable();
    void setTabOrder();
    QWidget *chooserRow(QWidget *parent);
    WindowChoices choices() const;
    void choiceChanged();
    void exposureEdited();

    void post(std::function<Outcome()> run);
    void jobDone();
    void continueWork();
    void take(OwnFile &&own);
    void take(Found &&found);
    void take(Read &&read);
    void take(std::shared_ptr<const AssessFigures> &&figures);
    void chooseFiles();
    void postFolderStep();
    void postRead();
    void postFigures();
    void fail(const QString &why);
    void showState();

    void showFigures();
    void showList();
    void showTable();
    void showVerdicts();
    void showChartTip(QPointF at, bool inside);
    void createShortcuts();
    QString separator() const;

    MainWindow &main;
    // The record: its file and, of a file of several, its channel and piece,
    // as the main window read it; its entry once the file is looked into.
    QString recordFile;
    std::string recordChannel;
    int recordPiece = 0;
    RecordAt shownRecord;
    std::optional<ChannelInfo> recordInfo;
    std::vector<RecordEntry> ownEntries;
    // The companions' search: the folder's files, how many are looked
    // through, what they hold that may join the record.
    std::vector<std::string> folder;
    std::size_t folderDone = 0;
    std::vector<FileEntry> candidates;
    // The files assessed, the record's own first; how many are read, and
    // their records. A job computing figures shares the records; they are
    // changed only while no job is under way.
    std::vector<std::string> listed;
    std::size_t filesRead = 0;
    std::shared_ptr<AssessRecords> records;
    std::shared_ptr<const AssessFigures> shown;
    // The files the figures shown, and those under way, are made of.
    std::vector<std::string> shownListed, computingListed;
    QString problem;          // why there are no figures
    bool exposureSet = false;  // the person gave the exposure time
    // What changed in the main window while this one was hidden.
    bool recordPending = false, choicesPending = false;
    Stage stage = Stage::none;
    uint64_t generation = 0;   // outcomes of an older one are of another record or list
    bool inFlight = false;     // a job is posted and not yet taken
    bool figuresWanted = false;   // the choices changed since the figures under way
    // Last: stopped and joined before anything above goes.
    std::unique_ptr<FollowingStage<Job>> helper;
};
