// Timings of the stages of one load and one spectrum on a long record:
//   build/bench/core_bench [--benchmark_filter=...]
#include "analysis/loadrecord.h"
#include "record/psnreader.h"
#include "report/report.h"
#include "spectrum/segmentspectrum.h"
#include "views/waveplot.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

constexpr int longRecord = 1000000;

// A 1,000,000-sample record at 1000 samples/s, written once per run.
const std::string &recordPath()
{
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "sismavue-bench-1M.psn";
        std::ofstream out(file, std::ios::binary);
        out << "Number of Samples: " << longRecord << "\r\nSPS: 1000\r\n"
            << "Station Code: BENCH\r\nComponent Name: Z\r\nData:\r\n";
        std::mt19937 random(1);
        std::normal_distribution<double> noise(0, 1e-5);
        char line[32];
        for (int i = 0; i < longRecord; ++i) {
            const double v = noise(random) + 2e-4 * std::sin(i * 0.07);
            std::snprintf(line, sizeof line, "%.6e\r\n", v);
            out << line;
        }
        return file.string();
    }();
    return path;
}

AnalysedRecord loaded()
{
    return std::get<AnalysedRecord>(loadRecord(recordPath()));
}

void Read(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readPsnFile(recordPath()));
}
BENCHMARK(Read)->Unit(benchmark::kMillisecond);

void Analysis(benchmark::State &state)
{
    const PsnRecord read = std::get<PsnRecord>(readPsnFile(recordPath()));
    for (auto _ : state) {
        PsnRecord copy = read;
        benchmark::DoNotOptimize(analyseRecord(std::move(copy), "bench"));
    }
}
BENCHMARK(Analysis)->Unit(benchmark::kMillisecond);

void Spectrum(benchmark::State &state)
{
    const AnalysedRecord record = loaded();
    for (auto _ : state)
        benchmark::DoNotOptimize(segmentSpectrum(record.samples, 0, record.sampleCount));
}
BENCHMARK(Spectrum)->Unit(benchmark::kMillisecond);

void PlotGeometry(benchmark::State &state)
{
    const AnalysedRecord record = loaded();
    for (auto _ : state) {
        benchmark::DoNotOptimize(wavePolyline(record.samples, record.sampleCount,
                                              record.peakAmplitude, 7452, 2256));
        benchmark::DoNotOptimize(levelPolyline(record.slowLevel, record.sampleCount, 7452, 2256));
    }
}
BENCHMARK(PlotGeometry)->Unit(benchmark::kMillisecond);

void ReportRow(benchmark::State &state)
{
    const AnalysedRecord record = loaded();
    for (auto _ : state)
        benchmark::DoNotOptimize(summaryFields(record, std::nullopt, '.'));
}
BENCHMARK(ReportRow)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
