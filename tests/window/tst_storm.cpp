// An event storm on the window: many seeded random events, with the session
// and the three views checked after each one. Events also arrive from inside
// long work: each move of the progress bar during a load or a spectrum
// computation lets a few more events run, as the window's own yields do, but
// at points that do not depend on timing, so a seed replays exactly.
//
// SISMAVUE_STORM_SEED sets the first round's seed and SISMAVUE_STORM_EVENTS
// the number of events (100000, or 30000 in a sanitizer build). Rounds of at
// most 10000 events each start a fresh window with the next seed. A failure
// prints the seed and event count that replay it and the events before it;
// SISMAVUE_STORM_TRACE=1 prints every event as it is sent (for a crash).
#include "testrecord.h"
#include "session/numbertext.h"
#include "spectrum/segmentspectrum.h"
#include "spectrum/spectrumplot.h"
#include "views/cursor.h"
#include "views/selection.h"
#include "window/mainwindow.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <cmath>
#include <deque>
#include <map>
#include <random>
#include <tuple>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr quint64 defaultEvents = 30000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
constexpr quint64 defaultEvents = 30000;
#else
constexpr quint64 defaultEvents = 100000;
#endif
#else
constexpr quint64 defaultEvents = 100000;
#endif
constexpr quint64 defaultSeed = 1979;
constexpr quint64 eventsPerRound = 10000;
// Events let in during one long operation at most.
constexpr int nestedLimit = 300;

constexpr QRgb rgbBits = 0xffffff;
constexpr QRgb cyanBits = 0x00ffff;
const QColor cyan(0, 255, 255);

quint64 environmentNumber(const char *name, quint64 fallback)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

struct StormRecord {
    QString path;
    int32_t count = 0;
    QImage wave, level;  // Picture1 and Picture3 after a load in a fresh window
};

// The band of the waveform view is the only allowed difference between the
// view and its plain plot: shown = plain XOR cyan inside the mask, = plain
// outside it.
QString compareWithBand(const QImage &shown, const QImage &plain, const QImage *mask, QRgb ground)
{
    if (shown.size() != plain.size())
        return QStringLiteral("the waveform view changed size");
    for (int y = 0; y < shown.height(); ++y) {
        const auto *s = reinterpret_cast<const QRgb *>(shown.constScanLine(y));
        const auto *p = reinterpret_cast<const QRgb *>(plain.constScanLine(y));
        const auto *m = mask ? reinterpret_cast<const QRgb *>(mask->constScanLine(y)) : nullptr;
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb flip = m && (m[x] & rgbBits) != (ground & rgbBits) ? cyanBits : 0;
            if (((s[x] ^ p[x] ^ flip) & rgbBits) != 0)
                return QStringLiteral("waveform view pixel (%1, %2) is %3, the plot%4 gives %5")
                    .arg(x).arg(y).arg(s[x] & rgbBits, 6, 16, QLatin1Char('0'))
                    .arg(mask ? QStringLiteral(" and the band") : QString())
                    .arg((p[x] ^ flip) & rgbBits, 6, 16, QLatin1Char('0'));
        }
    }
    return {};
}

// While a drag runs, the view holds its plot and at most one band: a run of
// whole columns, each exclusive-ored with cyan.
QString atMostOneBand(const QImage &shown, const QImage &plain)
{
    if (shown.size() != plain.size())
        return QStringLiteral("the waveform view changed size");
    int last = -1;
    for (int x = 0; x < shown.width(); ++x) {
        int flipped = 0;
        for (int y = 0; y < shown.height(); ++y) {
            const QRgb d = (shown.pixel(x, y) ^ plain.pixel(x, y)) & rgbBits;
            if (d == cyanBits)
                ++flipped;
            else if (d != 0)
                return QStringLiteral("waveform view pixel (%1, %2) is neither plot nor band")
                    .arg(x).arg(y);
        }
        if (flipped == 0)
            continue;
        if (flipped != shown.height())
            return QStringLiteral("column %1 of the waveform view is partly banded").arg(x);
        if (last >= 0 && last != x - 1)
            return QStringLiteral("two bands on the waveform view (columns %1 and %2)")
                .arg(last).arg(x);
        last = x;
    }
    return {};
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString buttonsText(Qt::MouseButtons buttons)
{
    QStringList names;
    if (buttons & Qt::LeftButton)
        names << QStringLiteral("Left");
    if (buttons & Qt::RightButton)
        names << QStringLiteral("Right");
    if (buttons & Qt::MiddleButton)
        names << QStringLiteral("Middle");
    if (buttons & Qt::BackButton)
        names << QStringLiteral("Back");
    return names.isEmpty() ? QStringLiteral("none") : names.join(QLatin1Char('+'));
}

} // namespace

class StormTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::vector<StormRecord> good;
    QStringList usual, bad;  // good files but the long one, bad files
    QString longPath;
    QImage blankView;

    // The storm's window and its random source.
    std::unique_ptr<MainWindow> w;
    std::mt19937_64 rng;
    quint64 roundSeed = 0;
    quint64 eventIndex = 0;
    int depth = 0;          // 1 while events run inside a load or a spectrum
    int nestedThisStep = 0;
    QString longWork;       // what runs while depth is 1, for the log
    Qt::MouseButtons held;
    ulong timestamp = 0;
    QPoint lastPress;
    QStringList messages;
    std::deque<QString> recent;
    QString failure;
    bool trace = false;

    // What the top-level event in hand must have done.
    struct Expected {
        bool load = false;    // a load was started with `file`
        bool unsure = false;  // a dropped file may or may not have been loaded
        QString file;
        QString labelBefore;
        int32_t countBefore = 0;
        qsizetype messagesBefore = 0;
    } expected;

    // Drawing probes of the views' sizes, and what was last verified.
    std::unique_ptr<PictureView> bandProbe, spectrumProbe;
    std::map<std::tuple<int32_t, int32_t, int32_t>, SegmentSpectrum> spectra;
    qint64 waveKey = -1, levelKey = -1, spectrumKey = -1;
    bool wasCurrent = false;
    std::tuple<bool, bool, int32_t, int32_t, int32_t> waveState;
    std::tuple<bool, bool, int16_t, float, float> spectrumState;

    // Totals for the closing line.
    quint64 totalEvents = 0, nestedEvents = 0, loads = 0, failedLoads = 0, spectraShown = 0;

    quint64 random(quint64 n) { return n ? rng() % n : 0; }
    bool chance(int percent) { return random(100) < static_cast<quint64>(percent); }

    const StormRecord *recordWithCount(int32_t count) const
    {
        for (const StormRecord &r : good)
            if (r.count == count)
                return &r;
        return nullptr;
    }

    const StormRecord *recordAt(const QString &path) const
    {
        for (const StormRecord &r : good)
            if (r.path == path)
                return &r;
        return nullptr;
    }

    QString anyFile()
    {
        if (chance(4))
            return longPath;
        if (chance(30))
            return bad[random(bad.size())];
        return usual[random(usual.size())];
    }

    void fail(const QString &what)
    {
        if (!failure.isEmpty())
            return;
        QStringList lines;
        lines << QStringLiteral("storm failure at event %1 of the round with seed %2: %3")
                     .arg(eventIndex).arg(roundSeed).arg(what);
        lines << QStringLiteral("replay with SISMAVUE_STORM_SEED=%1 SISMAVUE_STORM_EVENTS=%2")
                     .arg(roundSeed).arg(eventIndex);
        lines << QStringLiteral("the events before it:");
        for (const QString &e : recent)
            lines << e;
        failure = lines.join(QLatin1Char('\n'));
    }

    void log(const QString &what)
    {
        QString line = QStringLiteral("  #%1 ").arg(eventIndex);
        if (depth > 0)
            line += QStringLiteral("[during %1] ").arg(longWork);
        line += what;
        if (trace)
            qInfo("%s", qPrintable(line));
        recent.push_back(line);
        if (recent.size() > 40)
            recent.pop_front();
    }

    // Mouse input goes through the window system entry point, so the
    // toolkit picks the receiver, keeps the implicit grab of a pressed button
    // and skips disabled controls, as with a real mouse.
    void mouse(QEvent::Type type, Qt::MouseButton button, QPoint at)
    {
        timestamp += 1 + random(600); // sometimes close enough for a double click
        QWindow *window = w->windowHandle();
        qt_handleMouseEvent(window, at, window->mapToGlobal(at), held, button, type,
                            Qt::NoModifier, static_cast<int>(timestamp));
    }

    QPoint pointIn(const QWidget *widget)
    {
        const QPoint local(static_cast<int>(random(widget->width())),
                           static_cast<int>(random(widget->height())));
        return widget->mapTo(w.get(), local);
    }

    // Presses and releases on the waveform view often land on the column
    // of the last press (a click selects the whole record) or on an edge.
    QPoint waveformPoint()
    {
        if (chance(25))
            return lastPress;
        const QWidget *view = w->Picture1;
        const int y = static_cast<int>(random(view->height()));
        if (chance(10))
            return view->mapTo(w.get(), QPoint(chance(50) ? 0 : view->width() - 1, y));
        return view->mapTo(w.get(), QPoint(static_cast<int>(random(view->width())), y));
    }

    // Anywhere in or around the window, but never on the scroll bar: a
    // button held there would start its repeat timer, whose firing depends
    // on timing.
    QPoint anywhere()
    {
        const QRect bar(w->HScroll1->mapTo(w.get(), QPoint(0, 0)), w->HScroll1->size());
        for (;;) {
            const QPoint at(static_cast<int>(random(w->width() + 120)) - 60,
                            static_cast<int>(random(w->height() + 120)) - 60);
            if (!bar.contains(at))
                return at;
        }
    }

    QPoint viewPoint()
    {
        const quint64 r = random(100);
        if (r < 50)
            return waveformPoint();
        if (r < 85)
            return pointIn(w->Picture2);
        return pointIn(w->Picture3);
    }

    QPoint backgroundPoint()
    {
        for (;;) {
            const QPoint at(static_cast<int>(random(w->width())), static_cast<int>(random(w->height())));
            if (!w->childAt(at))
                return at;
        }
    }

    QString where(QPoint at) const
    {
        const QWidget *child = w->childAt(at);
        const QString name = !w->rect().contains(at) ? QStringLiteral("outside")
                           : !child                  ? QStringLiteral("background")
                           : child == w->Picture1    ? QStringLiteral("Picture1")
                           : child == w->Picture2    ? QStringLiteral("Picture2")
                           : child == w->Picture3    ? QStringLiteral("Picture3")
                                                     : QString::fromLatin1(child->metaObject()->className());
        return QStringLiteral("%1 (%2, %3)").arg(name).arg(at.x()).arg(at.y());
    }

    Qt::MouseButton someButton()
    {
        static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton,
                                                  Qt::MiddleButton, Qt::BackButton};
        return buttons[random(std::size(buttons))];
    }

    QPushButton *someCommand()
    {
        QPushButton *commands[] = {w->Command1, w->Command1, w->Command2, w->Command3,
                                   w->Command4, w->Command5, w->Command5};
        return commands[random(std::size(commands))];
    }

    // --- the events -------------------------------------------------------

    void press()
    {
        Qt::MouseButton button = someButton();
        if (held & button)
            return release();
        const QPoint at = chance(85) ? viewPoint() : anywhere();
        held |= button;
        log(QStringLiteral("press %1 (held %2) at %3").arg(buttonsText(button), buttonsText(held), where(at)));
        if (w->childAt(at) == w->Picture1)
            lastPress = at;
        mouse(QEvent::MouseButtonPress, button, at);
    }

    void move()
    {
        const QPoint at = chance(60) ? viewPoint() : anywhere();
        log(QStringLiteral("move (held %1) to %2").arg(buttonsText(held), where(at)));
        mouse(QEvent::MouseMove, Qt::NoButton, at);
    }

    void release()
    {
        Qt::MouseButton button = someButton();
        if (held && !(held & button) && chance(90)) {
            for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::BackButton})
                if (held & b)
                    button = b;
        }
        const QPoint at = chance(70) ? viewPoint() : anywhere();
        held &= ~Qt::MouseButtons(button);
        log(QStringLiteral("release %1 (held %2) at %3").arg(buttonsText(button), buttonsText(held), where(at)));
        mouse(QEvent::MouseButtonRelease, button, at);
    }

    void click(QPoint at, Qt::MouseButton button)
    {
        held |= button;
        mouse(QEvent::MouseButtonPress, button, at);
        held &= ~Qt::MouseButtons(button);
        mouse(QEvent::MouseButtonRelease, button, at);
    }

    void clickCommand()
    {
        QPushButton *command = someCommand();
        const QPoint at = pointIn(command);
        const Qt::MouseButton button = chance(85) ? Qt::LeftButton : someButton();
        if (held & button)
            return release();
        log(QStringLiteral("click %1 on \"%2\"%3 (held %4) at %5")
                .arg(buttonsText(button), command->text(),
                     command->isEnabled() ? QString() : QStringLiteral(", disabled"),
                     buttonsText(held), where(at)));
        click(at, button);
    }

    // As by the keyboard or a shortcut: whatever the mouse is doing.
    void activateCommand()
    {
        QPushButton *command = someCommand();
        log(QStringLiteral("activate \"%1\"%2").arg(command->text(),
            command->isEnabled() ? QString() : QStringLiteral(", disabled")));
        command->click();
    }

    void clickBackground()
    {
        const QPoint at = backgroundPoint();
        const Qt::MouseButton button = chance(80) ? Qt::LeftButton : someButton();
        if (held & button)
            return release();
        log(QStringLiteral("click %1 on the background (held %2) at %3")
                .arg(buttonsText(button), buttonsText(held), where(at)));
        click(at, button);
    }

    void scroll()
    {
        const int now = w->HScroll1->value();
        const quint64 r = random(100);
        const int value = r < 40 ? static_cast<int>(random(1024))
                        : r < 70 ? now + (chance(50) ? 1 : -1)
                        : r < 80 ? now
                        : r < 90 ? (chance(50) ? 0 : 1023)
                                 : static_cast<int>(random(1100)) - 40;
        log(QStringLiteral("scroll bar value %1 (from %2%3)").arg(value).arg(now)
                .arg(w->HScroll1->isEnabled() ? QString() : QStringLiteral(", disabled")));
        w->HScroll1->setValue(value);
    }

    void clickScrollBar()
    {
        if (held)
            return release();
        const QWidget *bar = w->HScroll1;
        const int x = chance(40) ? 2 : chance(60) ? bar->width() - 3 : static_cast<int>(random(bar->width()));
        const QPoint at = bar->mapTo(w.get(), QPoint(x, bar->height() / 2));
        log(QStringLiteral("click on the scroll bar%1 at %2")
                .arg(bar->isEnabled() ? QString() : QStringLiteral(", disabled"), where(at)));
        click(at, Qt::LeftButton);
    }

    // A drag over Label2 and, unless only hovering, a drop there. A drop's
    // load is queued by the window; it runs at once, or is left for later.
    void drop(bool dropIt, bool leaveQueued)
    {
        QMimeData data;
        QStringList files;
        QList<QUrl> urls;
        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        const quint64 kind = random(10);
        QString what;
        if (kind == 0) {
            data.setText(anyFile());
            what = QStringLiteral("a text");
        } else if (kind == 1) {
            urls << QUrl(QStringLiteral("https://example.org/record.psn"));
            what = QStringLiteral("a web address");
        } else {
            if (kind == 2)
                actions = Qt::MoveAction;
            if (chance(15))
                urls << QUrl(QStringLiteral("https://example.org/record.psn"));
            const int count = chance(70) ? 1 : 2 + static_cast<int>(random(2));
            for (int i = 0; i < count; ++i) {
                files << anyFile();
                urls << QUrl::fromLocalFile(files.back());
            }
            QStringList names;
            for (const QString &f : files)
                names << fileName(f);
            what = QStringLiteral("files %1").arg(names.join(QStringLiteral(", ")));
            if (actions == Qt::MoveAction)
                what += QStringLiteral(" (move only)");
        }
        if (!urls.isEmpty())
            data.setUrls(urls);
        const bool acceptable = depth == 0 && !files.isEmpty() && (actions & Qt::CopyAction);
        const QPoint at(static_cast<int>(random(w->Label2->width())), w->Label2->height() / 2);
        log(QStringLiteral("%1 %2 on Label2%3").arg(dropIt ? QStringLiteral("drop") : QStringLiteral("drag"),
                                                   what, leaveQueued ? QStringLiteral(", load left queued") : QString()));

        QDragEnterEvent enter(at, actions, &data, held, Qt::NoModifier);
        QCoreApplication::sendEvent(w->Label2, &enter);
        if (enter.isAccepted() != acceptable)
            return fail(QStringLiteral("a drag over Label2 was %1").arg(acceptable ? "refused" : "accepted"));
        if (!dropIt) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(w->Label2, &leave);
            return;
        }
        if (acceptable && !leaveQueued) {
            expected.load = true;
            expected.file = files.back();
            noteStateBefore();
        }
        if (leaveQueued) {
            expected.unsure = true;
            noteStateBefore();
        }
        QDropEvent dropped(at, actions, &data, held, Qt::NoModifier);
        QCoreApplication::sendEvent(w->Label2, &dropped);
        if (dropped.isAccepted() != acceptable)
            return fail(QStringLiteral("a drop on Label2 was %1").arg(acceptable ? "refused" : "accepted"));
        if (!leaveQueued)
            QCoreApplication::sendPostedEvents(w.get(), QEvent::MetaCall);
    }

    void noteStateBefore()
    {
        expected.labelBefore = w->Label2->text();
        expected.countBefore = w->session().sampleCount;
        expected.messagesBefore = messages.size();
    }

    // The file dialog of Command3.
    std::optional<QString> chooseFile(const QString &initial)
    {
        if (depth > 0) {
            fail(QStringLiteral("the file dialog opened during a %1").arg(longWork));
            return std::nullopt;
        }
        const QString label = w->Label2->text();
        if (initial != (label.isEmpty() ? QStringLiteral("*.psn") : label))
            fail(QStringLiteral("the file dialog opened on \"%1\" with Label2 \"%2\"").arg(initial, label));
        if (chance(25)) {
            log(QStringLiteral("  the file dialog is cancelled"));
            return std::nullopt;
        }
        const QString file = anyFile();
        log(QStringLiteral("  the file dialog answers %1").arg(fileName(file)));
        expected.load = true;
        expected.file = file;
        noteStateBefore();
        return file;
    }

    void oneEvent()
    {
        ++eventIndex;
        ++totalEvents;
        if (depth > 0)
            ++nestedEvents;
        // Percentages of the kinds of event.
        static const std::pair<int, void (StormTest::*)()> kinds[] = {
            {18, &StormTest::press},           {27, &StormTest::move},
            {13, &StormTest::release},         {9, &StormTest::clickCommand},
            {7, &StormTest::activateCommand},  {4, &StormTest::clickBackground},
            {13, &StormTest::scroll},          {2, &StormTest::clickScrollBar},
            {5, &StormTest::dropFiles},        {1, &StormTest::dragOnly},
            {1, &StormTest::deferredDrop},
        };
        int r = static_cast<int>(random(100));
        for (const auto &[percent, kind] : kinds) {
            if (r < percent) {
                (this->*kind)();
                break;
            }
            r -= percent;
        }
        if (failure.isEmpty())
            check();
    }

    void dropFiles() { drop(true, false); }
    void dragOnly() { drop(false, false); }

    // A drop whose load has not run yet when the next event comes.
    void deferredDrop()
    {
        if (depth > 0)
            return drop(true, false);
        drop(true, true);
        if (!failure.isEmpty())
            return;
        oneEventMore();
        log(QStringLiteral("the queued load runs"));
        QCoreApplication::sendPostedEvents(w.get(), QEvent::MetaCall);
    }

    void oneEventMore()
    {
        const quint64 r = random(4);
        if (r == 0)
            activateCommand();
        else if (r == 1)
            clickCommand();
        else if (r == 2)
            drop(true, false);
        else
            press();
    }

    // Each move of the progress bar during a load or a spectrum lets a few
    // events in.
    void duringLongWork(int percent)
    {
        if (depth > 0 || !failure.isEmpty() || nestedThisStep >= nestedLimit)
            return;
        const int count = static_cast<int>(random(3));
        if (count == 0)
            return;
        ++depth;
        longWork = QStringLiteral("long work at %1 %").arg(percent);
        for (int i = 0; i < count && failure.isEmpty(); ++i) {
            ++nestedThisStep;
            oneEvent();
        }
        --depth;
    }

    // --- the checks -------------------------------------------------------

    void check()
    {
        const QString session = sessionFault();
        if (!session.isEmpty())
            return fail(session);
        const QString spectrum = spectrumFault();
        if (!spectrum.isEmpty())
            return fail(spectrum);
        const QString spectrumView = spectrumViewFault();
        if (!spectrumView.isEmpty())
            return fail(spectrumView);
        if (depth > 0)
            return;
        const QString idle = idleFault();
        if (!idle.isEmpty())
            return fail(idle);
        const QString views = waveViewFault();
        if (!views.isEmpty())
            return fail(views);
        const QString load = loadFault();
        if (!load.isEmpty())
            return fail(load);
    }

    QString sessionFault() const
    {
        const Session &s = w->session();
        const size_t entries = s.sampleCount > 0 ? static_cast<size_t>(s.sampleCount) + 1 : 0;
        if (s.samples.size() != entries || s.slowLevel.size() != entries)
            return QStringLiteral("%1 samples with %2 and %3 entries")
                .arg(s.sampleCount).arg(s.samples.size()).arg(s.slowLevel.size());
        if (entries && (s.samples[0] != 0 || s.slowLevel[0] != 0))
            return QStringLiteral("entry 0 is %1 and %2").arg(s.samples[0]).arg(s.slowLevel[0]);
        const QString segment = QStringLiteral("segment %1..%2 of %3 samples")
                                    .arg(s.startSample).arg(s.endSample).arg(s.sampleCount);
        if (s.isDragging) {
            // The press has moved the start; the release makes the segment.
            if (s.startSample < 0 || s.startSample > s.sampleCount || s.endSample < 0 ||
                s.endSample > s.sampleCount)
                return segment + QStringLiteral(" while dragging: an end outside the record");
        } else if (s.hasSegment) {
            if (s.startSample == s.endSample)
                return segment + QStringLiteral(": both ends on one sample");
            if (s.startSample < 1 || s.startSample > s.sampleCount ||
                s.endSample < 1 || s.endSample > s.sampleCount)
                return segment + QStringLiteral(": an end outside the record");
        } else if (s.startSample != 0 || s.endSample != s.sampleCount) {
            return segment + QStringLiteral(" without a segment selected");
        }
        if (s.cursorBin < 0 || s.cursorBin > 1023)
            return QStringLiteral("cursorBin %1").arg(s.cursorBin);
        if (w->Command5->isEnabled() != w->HScroll1->isEnabled())
            return QStringLiteral("Copy Spectrum %1 and the scroll bar %2")
                .arg(w->Command5->isEnabled() ? "enabled" : "disabled",
                     w->HScroll1->isEnabled() ? "enabled" : "disabled");
        if (s.cursorShown && w->HScroll1->isEnabled()) {
            if (w->HScroll1->value() != s.cursorBin)
                return QStringLiteral("the cursor is on line %1, the scroll bar at %2")
                    .arg(s.cursorBin).arg(w->HScroll1->value());
            if (std::memcmp(&s.cursorValue, &s.spectrum[static_cast<size_t>(s.cursorBin)], sizeof(float)))
                return QStringLiteral("the cursor reads %1, line %2 holds %3")
                    .arg(s.cursorValue).arg(s.cursorBin).arg(s.spectrum[s.cursorBin]);
            const QString freq = QString::fromStdString(cursorFrequencyText(s.cursorBin, s.sampleRate, "."));
            if (w->freq->text() != freq)
                return QStringLiteral("the cursor frequency reads \"%1\", line %2 at %3 samples/s is %4")
                    .arg(w->freq->text()).arg(s.cursorBin).arg(s.sampleRate).arg(freq);
        }
        return {};
    }

    // While Copy Spectrum is enabled, the spectrum is that of the selected
    // segment of the record in the session.
    QString spectrumFault()
    {
        if (!w->Command5->isEnabled())
            return {};
        const Session &s = w->session();
        const auto matches = [&](std::tuple<int32_t, int32_t, int32_t> key) {
            if (std::get<0>(key) != s.sampleCount)
                return false;
            auto found = spectra.find(key);
            if (found == spectra.end()) {
                if (spectra.size() > 16)
                    spectra.clear();
                found = spectra.emplace(key, segmentSpectrum(s.samples, std::get<1>(key), std::get<2>(key))).first;
            }
            return std::memcmp(found->second.lines.data(), s.spectrum.data(), sizeof(s.spectrum)) == 0 &&
                   found->second.peak == s.spectrumPeak;
        };
        if (matches({s.sampleCount, s.startSample, s.endSample}))
            return {};
        return QStringLiteral("Copy Spectrum is enabled, but the spectrum is not that of samples %1..%2 of "
                              "the %3-sample record")
            .arg(s.startSample).arg(s.endSample).arg(s.sampleCount);
    }

    // The spectrum view shows the session's spectrum and at most one cursor,
    // the one the session records; cleared while the spectrum is not current.
    QString spectrumViewFault()
    {
        const Session &s = w->session();
        const QImage &shown = w->Picture2->image();
        const bool current = w->Command5->isEnabled();
        if (current && !wasCurrent)
            ++spectraShown;
        wasCurrent = current;
        const auto state = std::make_tuple(current, s.cursorShown, s.cursorBin, s.cursorValue, s.spectrumPeak);
        if (shown.cacheKey() == spectrumKey && state == spectrumState && eventIndex % 64)
            return {};
        if (!current) {
            if (depth > 0)
                return {};
            if (s.cursorShown)
                return QStringLiteral("a cursor is shown on a spectrum that is not current");
            if (shown != blankView)
                return QStringLiteral("the spectrum view is not cleared while Copy Spectrum is disabled");
        } else {
            spectrumProbe->cls();
            spectrumProbe->setScale(0, spectrumViewHeight, spectrumViewWidth, -spectrumViewHeight);
            spectrumProbe->lines(spectrumSegments(s.spectrum, s.spectrumPeak), Qt::black);
            if (s.cursorShown) {
                spectrumProbe->setDrawMode(PictureView::XorPen);
                spectrumProbe->lines(cursorSegments(s.cursorBin, s.cursorValue, s.spectrumPeak), cyan);
                spectrumProbe->setDrawMode(PictureView::CopyPen);
            }
            if (shown != spectrumProbe->image())
                return s.cursorShown
                    ? QStringLiteral("the spectrum view is not the spectrum with one cursor on line %1").arg(s.cursorBin)
                    : QStringLiteral("the spectrum view is not the plain spectrum");
        }
        spectrumKey = shown.cacheKey();
        spectrumState = state;
        return {};
    }

    QString waveViewFault()
    {
        const Session &s = w->session();
        const StormRecord *record = recordWithCount(s.sampleCount);
        if (s.sampleCount && !record)
            return QStringLiteral("no record has %1 samples").arg(s.sampleCount);
        const QImage &shown = w->Picture1->image();
        const QImage &level = w->Picture3->image();
        if (level.cacheKey() != levelKey || eventIndex % 64 == 0) {
            if (level != (record ? record->level : blankView))
                return QStringLiteral("the level view is not the plot of the record");
            levelKey = level.cacheKey();
        }
        const auto state = std::make_tuple(s.isDragging, s.hasSegment, s.sampleCount, s.startSample, s.endSample);
        if (shown.cacheKey() == waveKey && state == waveState && eventIndex % 64)
            return {};
        const QImage &plain = record ? record->wave : blankView;
        QString fault;
        if (s.isDragging) {
            fault = atMostOneBand(shown, plain);
        } else if (!s.hasSegment) {
            if (shown != plain)
                fault = compareWithBand(shown, plain, nullptr, 0);
        } else {
            const double width = w->Picture1->widthTwips();
            bandProbe->cls();
            bandProbe->setDrawMode(PictureView::XorPen);
            bandProbe->box(bandRect(xOfSample(s.startSample, s.sampleCount, width),
                                    xOfSample(s.endSample, s.sampleCount, width), bandProbe->heightTwips()),
                           cyan);
            bandProbe->setDrawMode(PictureView::CopyPen);
            fault = compareWithBand(shown, plain, &bandProbe->image(), bandProbe->background().rgb());
        }
        if (!fault.isEmpty())
            return fault + QStringLiteral(" (segment %1..%2 of %3%4)").arg(s.startSample).arg(s.endSample)
                               .arg(s.sampleCount).arg(s.isDragging ? QStringLiteral(", dragging") : QString());
        waveKey = shown.cacheKey();
        waveState = state;
        return {};
    }

    // Between events nothing runs: no wait cursor, no progress, and the
    // file name and sample boxes show the session.
    QString idleFault() const
    {
        const Session &s = w->session();
        if (QGuiApplication::overrideCursor())
            return QStringLiteral("the wait cursor stays on");
        if (w->ProgressBar1->value() != 0)
            return QStringLiteral("the progress bar stays at %1").arg(w->ProgressBar1->value());
        if (s.sampleCount == 0) {
            if (!w->Label2->text().isEmpty())
                return QStringLiteral("Label2 shows \"%1\" with no record").arg(w->Label2->text());
            return {};
        }
        const StormRecord *record = recordWithCount(s.sampleCount);
        if (record && w->Label2->text() != record->path)
            return QStringLiteral("Label2 shows \"%1\" for %2").arg(w->Label2->text(), record->path);
        if (w->Ss->text().trimmed() != QString::number(s.startSample) ||
            w->Es->text().trimmed() != QString::number(s.endSample))
            return QStringLiteral("Ss and Es show \"%1\" and \"%2\" for samples %3..%4")
                .arg(w->Ss->text(), w->Es->text()).arg(s.startSample).arg(s.endSample);
        return {};
    }

    // A load that was started did what its file calls for, and nothing else
    // reported a failure.
    QString loadFault()
    {
        const Expected e = std::exchange(expected, Expected{});
        if (e.unsure) {
            failedLoads += messages.size() - e.messagesBefore;
            return {};
        }
        const qsizetype shown = messages.size() - (e.load ? e.messagesBefore : messages.size());
        if (!e.load)
            return {};
        ++loads;
        const Session &s = w->session();
        if (const StormRecord *record = recordAt(e.file)) {
            if (shown)
                return QStringLiteral("loading %1 reported \"%2\"").arg(e.file, messages.back());
            if (s.sampleCount != record->count || w->Label2->text() != e.file)
                return QStringLiteral("loading %1 left %2 samples and Label2 \"%3\"")
                    .arg(e.file).arg(s.sampleCount).arg(w->Label2->text());
            if (!w->Picture1->isEnabled())
                return QStringLiteral("the waveform view stays disabled after loading %1").arg(e.file);
            return {};
        }
        ++failedLoads;
        if (shown != 1)
            return QStringLiteral("loading %1 reported %2 failures").arg(e.file).arg(shown);
        if (s.sampleCount != e.countBefore || w->Label2->text() != e.labelBefore)
            return QStringLiteral("the failed load of %1 left %2 samples and Label2 \"%3\"")
                .arg(e.file).arg(s.sampleCount).arg(w->Label2->text());
        return {};
    }

    // --- rounds -----------------------------------------------------------

    void openWindow()
    {
        w = std::make_unique<MainWindow>();
        w->showMessage = [this](const QString &text) {
            messages << text;
            if (depth > 0)
                fail(QStringLiteral("a failure was shown during a %1: %2").arg(longWork, text));
        };
        w->chooseFile = [this](const QString &initial) { return chooseFile(initial); };
        connect(w->ProgressBar1, &QProgressBar::valueChanged, this, [this](int v) { duringLongWork(v); });
        // Right clicks open no menus: a text box's menu could edit Ss or Es,
        // which the window shows but never reads, and the scroll bar's and
        // the views' (the window's own) run a modal loop.
        for (QWidget *child : w->findChildren<QWidget *>())
            child->setContextMenuPolicy(Qt::NoContextMenu);
        w->setContextMenuPolicy(Qt::NoContextMenu);
        w->show();
        waveKey = levelKey = spectrumKey = -1;
        wasCurrent = false;
        spectra.clear();
        held = {};
    }

    // The window starts on nothing, a good file, a quoted file or a bad one.
    void startUp()
    {
        const quint64 r = random(4);
        QString line;
        if (r == 1)
            line = usual[random(usual.size())];
        else if (r == 2)
            line = QLatin1Char('"') + usual[random(usual.size())] + QLatin1Char('"');
        else if (r == 3)
            line = bad[random(bad.size())];
        log(QStringLiteral("start-up with \"%1\"").arg(fileName(line)));
        noteStateBefore();
        w->Form_Load(line);
        const StormRecord *record = recordAt(MainWindow::stripQuotes(line));
        if (line.isEmpty() || !record) {
            if (w->session().sampleCount != 0 || w->Picture1->isEnabled() ||
                messages.size() != expected.messagesBefore + (line.isEmpty() ? 0 : 1))
                return fail(QStringLiteral("start-up with \"%1\" loaded or did not report").arg(line));
        } else if (w->session().sampleCount != record->count || !w->Picture1->isEnabled()) {
            return fail(QStringLiteral("start-up with \"%1\" did not load it").arg(line));
        }
        expected = Expected{};
        check();
    }

    void runRound(quint64 events)
    {
        rng.seed(roundSeed);
        eventIndex = 0;
        recent.clear();
        messages.clear();
        expected = Expected{};
        openWindow();
        startUp();
        while (eventIndex < events && failure.isEmpty()) {
            nestedThisStep = 0;
            oneEvent();
        }
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::BackButton})
            if (held & b) {
                held &= ~Qt::MouseButtons(b);
                mouse(QEvent::MouseButtonRelease, b, QPoint(-10, -10));
            }
        w.reset();
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        trace = qEnvironmentVariableIntValue("SISMAVUE_STORM_TRACE") != 0;

        // Good records of distinct lengths, so the sample count tells which
        // one is loaded.
        std::vector<double> wave(3000), spikes994(994, 0.0), loud(2500), longWave(150000);
        for (size_t i = 0; i < wave.size(); ++i)
            wave[i] = 0.002 * std::sin(i * 0.1) + (i % 97 == 0 ? 0.003 : 0);
        spikes994[399] = 0.001;
        spikes994[799] = -0.003;
        for (size_t i = 0; i < loud.size(); ++i)
            loud[i] = 1e12 * std::cos(2 * M_PI * 37 * double(i) / 2048);
        for (size_t i = 0; i < longWave.size(); ++i)
            longWave[i] = 0.001 * std::sin(i * 0.05) * (1 + std::sin(i * 0.0003));
        const QStringList goodFiles = {
            writeRecord(dir, "wave.psn", wave),
            writeRecord(dir, "spikes 994.psn", spikes994, 200),
            writeRecord(dir, "short.psn", std::vector<double>(600, 0.0005), 125, false),
            writeRecord(dir, "two.psn", {0.001, -0.001}, 50),
            writeRecord(dir, "one.psn", {0.5}),
            writeRecord(dir, "flat.psn", std::vector<double>(1500, 0.0)),
            writeRecord(dir, "loud.psn", loud, 400),
            longPath = writeRecord(dir, "long.psn", longWave, 200),
        };

        const auto writeText = [&](const char *name, const QByteArray &text) {
            const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(text);
            return path;
        };
        QDir(dir.path()).mkdir(QStringLiteral("folder.psn"));
        bad = {
            QDir(dir.path()).filePath(QStringLiteral("missing.psn")),
            QDir(dir.path()).filePath(QStringLiteral("folder.psn")),
            writeText("empty.psn", ""),
            writeText("noheader.psn", "hello\r\n"),
            writeText("truncated.psn", "Number of Samples: 100\r\nSPS: 100\r\nData:\r\n1\r\n2\r\n"),
            writeText("nodata.psn", "Number of Samples: 3\r\nSPS: 100\r\n1\r\n2\r\n3\r\n"),
            writeText("slow.psn", "Number of Samples: 3\r\nSPS: 5\r\nData:\r\n1\r\n2\r\n3\r\n"),
            writeText("zero.psn", "Number of Samples: 0\r\nSPS: 100\r\nData:\r\n"),
            writeText("huge.psn", "Number of Samples: 2000000000\r\nSPS: 100\r\nData:\r\n1\r\n2\r\n"),
            writeRecord(dir, "overflow.psn", {1e30, -1e30, 1e30}),
        };

        // The plain plots, each from a fresh window.
        for (const QString &path : goodFiles) {
            MainWindow clean;
            QStringList failures;
            clean.showMessage = [&](const QString &text) { failures << text; };
            if (blankView.isNull())
                blankView = clean.Picture1->image();
            clean.Form_Load(path);
            QVERIFY2(failures.isEmpty(), qPrintable(path));
            QVERIFY(clean.session().sampleCount > 0);
            QVERIFY(!recordWithCount(clean.session().sampleCount));
            good.push_back({path, clean.session().sampleCount, clean.Picture1->image(), clean.Picture3->image()});
        }
        for (const QString &path : bad) {
            MainWindow clean;
            QStringList failures;
            clean.showMessage = [&](const QString &text) { failures << text; };
            clean.Form_Load(path);
            QVERIFY2(failures.size() == 1, qPrintable(path));
            QCOMPARE(clean.session().sampleCount, 0);
        }
        // The long record is loaded now and then, not as often as the rest.
        usual = goodFiles;
        usual.removeAll(longPath);

        MainWindow sizes;
        QCOMPARE(sizes.Picture2->image().size(), blankView.size());
        QCOMPARE(sizes.Picture3->image(), blankView);
        bandProbe = std::make_unique<PictureView>();
        bandProbe->setFixedSize(sizes.Picture1->size());
        spectrumProbe = std::make_unique<PictureView>();
        spectrumProbe->setFixedSize(sizes.Picture2->size());
    }

    void storm()
    {
        const quint64 total = environmentNumber("SISMAVUE_STORM_EVENTS", defaultEvents);
        const quint64 firstSeed = environmentNumber("SISMAVUE_STORM_SEED", defaultSeed);
        QElapsedTimer clock;
        clock.start();
        quint64 done = 0;
        for (quint64 round = 0; done < total; ++round) {
            roundSeed = firstSeed + round;
            const quint64 events = std::min(eventsPerRound, total - done);
            runRound(events);
            if (!failure.isEmpty())
                QFAIL(qPrintable(failure));
            done += eventIndex;
        }
        qInfo("storm: %llu events (%llu inside long work) with seeds %llu..%llu in %.1f s; "
              "%llu loads (%llu failed), %llu spectra shown",
              totalEvents, nestedEvents, firstSeed, roundSeed, clock.elapsed() / 1000.0, loads,
              failedLoads, spectraShown);
    }
};

QTEST_MAIN(StormTest)
#include "tst_storm.moc"
