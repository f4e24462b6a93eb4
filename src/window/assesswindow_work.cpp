// The assessment window's work: the record's own file looked into, the
// folder looked through a few files at a time, the files read and the
// figures computed, each a job for the helper whose outcome comes back to
// the window's thread. One job is under way at a time; an outcome of an
// older record or list is dropped.
#include "window/assesswindow.h"

#include "settings/sensitivitytable.h"
#include "window/assessview.h"
#include "window/mainwindow.h"

#include <QDoubleSpinBox>
#include <QFile>
#include <QSignalBlocker>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace {

// Files whose headers one job looks into: a step short enough that a newer
// record or list is taken up soon.
constexpr std::size_t folderStep = 16;

// How the assessment reads: the person's sensitivity table, as the main
// window does, on the job's own thread.
struct Reading {
    SensitivityTable table;
    ReadOptions options;

    Reading()
    {
        const std::string path = userSensitivityTablePath();
        if (!path.empty())
            if (auto read = readSensitivityTable(path, true); std::holds_alternative<SensitivityTable>(read))
                table = std::get<SensitivityTable>(std::move(read));
        options.threads = singleThread();
        options.sensitivity.table = &table;
    }
    Reading(const Reading &) = delete;
    Reading &operator=(const Reading &) = delete;
};

std::string pathOf(const QString &file)
{
    return QFile::encodeName(file).toStdString();
}

// The shown record's entry: of its channel (by the name the main window
// chose it by) and piece.
std::optional<std::size_t> entryOf(const std::vector<RecordEntry> &entries, const std::string &channel, int piece)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].channelName == channel && entries[i].piece == std::max(piece, 0))
            return i;
    return std::nullopt;
}

bool inSet(std::span<const ChannelInfo> infos, std::size_t member)
{
    for (const ComponentSet &set : groupComponents(infos).sets)
        if (std::find(set.members.begin(), set.members.end(), member) != set.members.end())
            return true;
    return false;
}

} // namespace

bool AssessWindow::isBusy() const
{
    return inFlight || figuresWanted || (stage != Stage::none && stage != Stage::done);
}

std::vector<std::string> AssessWindow::files() const
{
    return listed;
}

void AssessWindow::post(std::function<Outcome()> run)
{
    inFlight = true;
    helper->post(Job{generation, std::move(run), {}, {}});
}

void AssessWindow::jobDone()
{
    if (!inFlight)
        return;
    Job job = helper->take();
    inFlight = false;
    if (job.generation != generation)
        return continueWork();
    if (!job.failure.empty())
        return fail(QString::fromStdString(job.failure));
    std::visit(
        [this](auto &&outcome) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(outcome)>, std::monostate>)
                take(std::move(outcome));
        },
        job.outcome);
    continueWork();
}

void AssessWindow::continueWork()
{
    if (!inFlight) {
        if (stage == Stage::ownFile) {
            const std::string path = pathOf(recordFile);
            post([path]() -> Outcome {
                Reading reading;
                return OwnFile{fileEntries(path, reading.options), folderFiles(path)};
            });
        } else if (stage == Stage::folder) {
            postFolderStep();
        } else if (stage == Stage::reading) {
            postRead();
        } else if (stage == Stage::computing || (stage == Stage::done && figuresWanted)) {
            postFigures();
        }
    }
    showState();
}

void AssessWindow::take(OwnFile &&own)
{
    if (auto *error = std::get_if<LoadError>(&own.entries))
        return fail(QString::fromLocal8Bit(error->message()));
    ownEntries = std::get<std::vector<RecordEntry>>(std::move(own.entries));
    const std::optional<std::size_t> entry = entryOf(ownEntries, recordChannel, recordPiece);
    if (!entry)
        return fail(QStringLiteral("The record shown is no longer in its file."));
    shownRecord = {0, *entry};
    recordInfo = channelInfo(ownEntries[*entry]);
    std::vector<ChannelInfo> infos;
    for (const RecordEntry &e : ownEntries)
        infos.push_back(channelInfo(e));
    // A file of the whole set needs no other.
    if (!inSet(infos, *entry))
        folder = std::move(own.folder);
    stage = Stage::folder;
    if (folder.empty())
        chooseFiles();
}

void AssessWindow::postFolderStep()
{
    const std::size_t end = std::min(folder.size(), folderDone + folderStep);
    std::vector<std::string> paths(folder.begin() + static_cast<std::ptrdiff_t>(folderDone),
                                   folder.begin() + static_cast<std::ptrdiff_t>(end));
    post([paths = std::move(paths), record = *recordInfo]() -> Outcome {
        Reading reading;
        return Found{companionEntries(paths, record, reading.options), paths.size()};
    });
}

void AssessWindow::take(Found &&found)
{
    for (FileEntry &entry : found.entries)
        candidates.push_back(std::move(entry));
    folderDone += found.count;
    if (folderDone >= folder.size())
        chooseFiles();
}

// The record's own file, and the files of the companions of the first set
// the record joins with them.
void AssessWindow::chooseFiles()
{
    listed = {pathOf(recordFile)};
    std::vector<ChannelInfo> infos;
    for (const RecordEntry &e : ownEntries)
        infos.push_back(channelInfo(e));
    for (const FileEntry &c : candidates)
        infos.push_back(channelInfo(c.entry));
    for (const ComponentSet &set : groupComponents(infos).sets) {
        if (std::find(set.members.begin(), set.members.end(), shownRecord.entry) == set.members.end())
            continue;
        for (const std::size_t m : set.members)
            if (m >= ownEntries.size()) {
                const std::string &path = candidates[m - ownEntries.size()].path;
                if (std::find(listed.begin(), listed.end(), path) == listed.end())
                    listed.push_back(path);
            }
    }
    stage = Stage::reading;
}

void AssessWindow::postRead()
{
    const std::vector<std::string> paths(listed.begin() + static_cast<std::ptrdiff_t>(filesRead), listed.end());
    post([paths]() -> Outcome {
        Reading reading;
        Read files;
        for (const std::string &path : paths)
            files.push_back(readAssessInputs(path, reading.options));
        return files;
    });
}

void AssessWindow::take(Read &&files)
{
    for (std::vector<AssessInput> &file : files)
        addRecords(*records, filesRead++, std::move(file));
    stage = Stage::computing;
}

void AssessWindow::postFigures()
{
    figuresWanted = false;
    stage = Stage::computing;
    computingListed = listed;
    WindowChoices chosen = choices();
    chosen.countsHint = countsHint(userSensitivityTablePath());
    post([files = std::shared_ptr<const AssessRecords>(records), at = shownRecord,
          chosen = std::move(chosen)]() -> Outcome {
        return std::make_shared<const AssessFigures>(assessFigures(*files, at, chosen));
    });
}

void AssessWindow::take(std::shared_ptr<const AssessFigures> &&figures)
{
    shown = std::move(figures);
    shownListed = computingListed;
    problem.clear();
    stage = Stage::done;
    // Until the person gives one, the exposure time is the duration assessed.
    if (!exposureSet && !shown->error && !shown->peopleError && !shown->people.components.empty()) {
        const QSignalBlocker quiet(exposureBox);
        exposureBox->setValue(shown->people.components[0].people->exposureHours);
    }
    showFigures();
    emit settled();
}

void AssessWindow::addFile(const QString &file)
{
    const std::string path = pathOf(file);
    if (inFlight || stage != Stage::done || std::find(listed.begin(), listed.end(), path) != listed.end())
        return;
    listed.push_back(path);
    ++generation;
    stage = Stage::reading;
    showList();
    continueWork();
}

void AssessWindow::dropFile(int row)
{
    if (inFlight || stage != Stage::done || row < 0 || row >= componentList->count())
        return;
    const int file = componentList->item(row)->data(Qt::UserRole).toInt();
    if (file <= 0 || static_cast<std::size_t>(file) >= listed.size())
        return;
    listed.erase(listed.begin() + file);
    dropRecords(*records, static_cast<std::size_t>(file));
    --filesRead;
    ++generation;
    stage = Stage::computing;
    showList();
    continueWork();
}

void AssessWindow::fail(const QString &why)
{
    problem = why;
    shown.reset();
    shownListed.clear();
    stage = Stage::none;
    figuresWanted = false;
    showFigures();
    emit settled();
}
