// The window's waveform and level plot (MainWindow::plotwave, with the
// event-loop yields it makes), on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen plot_bench [--record FILE | --samples N] [--benchmark_...]
// Besides the time, the counter longest_gap_ms gives the longest time during
// a plot, in that repetition, in which no pending event could run: from the
// start to the first event-loop run, between two runs, and from the last run
// to the end. DetailZoom and DetailPan time one redraw of the detail
// window, its waveform view 1920 pixels wide: a zoom in or out by two about
// the middle of the whole record, and a move by an eighth of an eighth of it.
#include "records.h"
#include "window/detailwindow.h"
#include "window/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
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
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    const size_t ran = benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return ran > 0 ? 0 : 1;
}
