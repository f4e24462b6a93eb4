// The window's waveform and level plot (MainWindow::plotwave, with the
// event-loop yields it makes), on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen plot_bench [--record FILE | --samples N] [--benchmark_...]
// Besides the time, the counter longest_gap_ms gives the longest time during
// a plot, in that repetition, in which no pending event could run: from the
// start to the first event-loop run, between two runs, and from the last run
// to the end. DetailZoom and DetailPan time one redraw of the detail
// window, its waveform view 1920 pixels wide: a zoom in or out by two about
// the middle of the whole record, and a move by an eighth of an eighth of it.
// AssessRecompute times the assessment window's figures of three 10-minute
// components at 1000 samples/s after another building line is chosen, until
// they are shown, with its longest_gap_ms.
#include "records.h"
#include "window/assesswindow.h"
#include "window/detailwindow.h"
#include "window/mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Keeps one event of its own posted while armed: each event-loop run
// delivers it, and its delivery posts the next one.
class LoopProbe : public QObject {
public:
    void arm()
    {
        armed = true;
        longest = 0;
        clock.start();
        last = 0;
        post();
    }
    // Ends a measurement; returns the longest gap in ms.
    double disarm()
    {
        armed = false;
        note();
        return longest / 1e6;
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != type)
            return QObject::event(e);
        pending = false;
        if (armed) {
            note();
            post();
        }
        return true;
    }

private:
    void note()
    {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    }
    void post()
    {
        if (pending)
            return;
        pending = true;
        QCoreApplication::postEvent(this, new QEvent(type));
    }

    const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    bool armed = false, pending = false;
};

// Three components of ten minutes at 1000 samples/s as PSN text files in
// `folder`, a 2 s burst at 5 minutes on faint noise; the vertical one's path.
QString writeThreeComponents(const QString &folder)
{
    const char *codes[] = {"HHZ", "HHN", "HHE"};
    for (int k = 0; k < 3; ++k) {
        QFile file(QDir(folder).filePath(QString::fromLatin1(codes[k]) + ".txt"));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        QByteArray text = "Number of Samples: 600000\r\nSPS: 1000\r\nStation Code: BENCH\r\nComponent Name: ";
        text += QByteArray(codes[k]) + "\r\nData:\r\n";
        for (int i = 0; i < 600000; ++i) {
            const double t = i / 1000.0, burst = t >= 300 && t < 302 ? 2e-3 * std::sin(2 * M_PI * (6 + 10 * k) * t) : 0;
            text += QByteArray::number(1e-6 * std::sin(i * (1.3 + k)) + burst, 'g', 7) + "\r\n";
        }
        file.write(text);
    }
    return QDir(folder).filePath("HHZ.txt");
}

// AssessRecompute, on the window `assessed` (no record yet) with its
// records written into `folder` the first time it runs.
void registerAssessRecompute(LoopProbe &probe, MainWindow &assessed, const QString &folder)
{
    benchmark::RegisterBenchmark("AssessRecompute", [&probe, &assessed, folder](benchmark::State &state) {
        if (!assessed.assesswindow()) {
            if (!assessed.loadfile(writeThreeComponents(folder)))
                std::exit(1);
            assessed.openassess();
        }
        AssessWindow &a = *assessed.assesswindow();
        while (a.isBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        double longest = 0;
        for (auto _ : state) {
            probe.arm();
            a.buildingBox->setCurrentIndex(a.buildingBox->currentIndex() == 1 ? 2 : 1);
            while (a.isBusy())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            QCoreApplication::processEvents();
            longest = std::max(longest, probe.disarm());
        }
        state.counters["longest_gap_ms"] = longest;
    })->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

int main(int argc, char **argv)
{
    const std::string record = benchRecord(argc, argv);
    QApplication app(argc, argv);
    MainWindow window;
    window.showMessage = [](const QString &text) {
        std::fprintf(stderr, "plot_bench: %s\n", qPrintable(text));
        std::exit(1);
    };
    window.show();
    if (!window.loadfile(QString::fromStdString(record)))
        return 1;
    QCoreApplication::processEvents();

    LoopProbe probe;
    benchmark::RegisterBenchmark("WindowPlot", [&](benchmark::State &state) {
        double longest = 0;
        for (auto _ : state) {
            probe.arm();
            window.plotwave();
            longest = std::max(longest, probe.disarm());
        }
        state.counters["longest_gap_ms"] = longest;
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    const auto detail = [&]() -> DetailWindow & {
        if (!window.detailwindow()) {
            window.opendetail();
            DetailWindow &d = *window.detailwindow();
            d.resize(1920 + 600, 800);
            QCoreApplication::processEvents();
            d.resize(d.width() + 1920 - d.waveView->width(), 800);
            QCoreApplication::processEvents();
        }
        return *window.detailwindow();
    };
    const int32_t count = window.session().sampleCount;
    benchmark::RegisterBenchmark("DetailZoom", [&](benchmark::State &state) {
        DetailWindow &d = detail();
        d.showWholeRecord();
        bool in = true;
        for (auto _ : state) {
            d.showSpan(zoomedSpan(d.shown(), in ? 0.5 : 2, 0.5, count));
            in = !in;
        }
        state.counters["columns"] = d.waveView->image().width();
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("DetailPan", [&](benchmark::State &state) {
        DetailWindow &d = detail();
        d.showSpan({count / 2.0, count / 8.0});
        double by = count / 64.0;
        for (auto _ : state) {
            d.showSpan(pannedSpan(d.shown(), by, count));
            by = -by;
        }
        state.counters["columns"] = d.waveView->image().width();
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    QTemporaryDir components;
    MainWindow assessed;
    assessed.showMessage = window.showMessage;
    registerAssessRecompute(probe, assessed, components.path());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    const size_t ran = benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return ran > 0 ? 0 : 1;
}
