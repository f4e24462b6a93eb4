// What the assessment window follows: the main window's record and
// segment, and its own choices. Hidden, it follows nothing: what changed
// meanwhile is taken up when it is shown again.
#include "window/assesswindow.h"

#include "window/assessview.h"
#include "window/mainwindow.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>

namespace {

template <class E>
E chosenOf(const QComboBox *box)
{
    return static_cast<E>(std::max(0, box->currentIndex()));
}

} // namespace

WindowChoices AssessWindow::choices() const
{
    WindowChoices c;
    c.structure.building = chosenOf<Building>(buildingBox);
    c.structure.place = chosenOf<Place>(placeBox);
    c.structure.method = chosenOf<FrequencyMethod>(frequencyBox);
    c.people.area = chosenOf<Area>(areaBox);
    c.people.period = chosenOf<Period>(periodBox);
    if (exposureSet)
        c.people.exposureHours = exposureBox->value();
    const Session &s = main.session();
    if (s.hasSegment)
        c.segment = std::pair<int64_t, int64_t>(s.startSample, s.endSample);
    return c;
}

void AssessWindow::choiceChanged()
{
    figuresWanted = true;
    continueWork();
}

void AssessWindow::exposureEdited()
{
    exposureSet = true;
    choiceChanged();
}

// The record's file and entry as the main window read them; everything
// else is found again.
void AssessWindow::recordChanged()
{
    if (!isVisible()) {
        recordPending = true;
        return;
    }
    recordPending = choicesPending = false;
    recordFile = main.recordfile();
    recordChannel = main.recordchannel();
    recordPiece = main.recordpiece();
    const QString station = main.Label9->text().trimmed();
    setWindowTitle(station.isEmpty() ? QStringLiteral("Assessment") : QStringLiteral("Assessment \u2014 ") + station);
    ++generation;
    recordInfo.reset();
    ownEntries.clear();
    folder.clear();
    folderDone = 0;
    candidates.clear();
    listed.clear();
    filesRead = 0;
    records = std::make_shared<AssessRecords>();
    shown.reset();
    shownListed.clear();
    problem.clear();
    exposureSet = false;
    figuresWanted = false;
    stage = recordFile.isEmpty() || main.session().sampleCount == 0 ? Stage::none : Stage::ownFile;
    if (stage == Stage::none)
        problem = QStringLiteral("No record: open one in the main window.");
    showFigures();
    continueWork();
}

void AssessWindow::segmentChanged()
{
    if (!isVisible()) {
        choicesPending = true;
        return;
    }
    if (stage != Stage::none)
        choiceChanged();
}

void AssessWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (recordPending)
        recordChanged();
    else if (choicesPending)
        segmentChanged();
}
