// Timings of the core's stages and of their yardsticks on one record:
//   core_bench [--record FILE | --samples N] [--benchmark_...]
// Without a record it writes one of 1,000,000 samples into a temporary
// folder. Stages: Read, Analysis, ReadAndAnalysis (one load),
// ReadAndAnalysisDetail (the window's load, with the detail view's summary
// and the exceedances), Spectrum (the
// whole record, with an "identical" counter: 1 when it equals the reference
// bit for bit), PlotGeometry, ReportRow, and TwoThreads (how much more two
// threads get done than one, a "speedup" counter). Yardsticks: ParseFloor (mapped),
// StreamingParseFloor, ReferenceSpectrum, FftwSpectrum; each yardstick's "matches" counter is 1
// when it computed what the stage computes (the same floats as the reader,
// lines within 0.1 % of the largest reference line), so its time is a fair
// comparison. Times are wall-clock: a stage may work on several threads.
#include "analysis/loadrecord.h"
#include "parse_floor.h"
#include "record/recordreader.h"
#include "records.h"
#include "reference_spectrum.h"
#include "report/report.h"
#include "spectrum/segmentspectrum.h"
#include "views/recorddetail.h"
#include "views/waveplot.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

std::string record;

const AnalysedRecord &loaded()
{
    static const AnalysedRecord analysed = [] {
        LoadResult result = loadRecord(record);
        if (const auto *error = std::get_if<LoadError>(&result)) {
            std::fprintf(stderr, "%s\n", error->message().c_str());
            std::exit(1);
        }
        return std::get<AnalysedRecord>(std::move(result));
    }();
    return analysed;
}

void ParseFloor(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(parseFloor(record));
    const ParsedValues parsed = parseFloor(record);
    const Record read = std::get<Record>(readRecordFile(record));
    state.counters["matches"] =
        parsed.count == static_cast<size_t>(read.sampleCount) &&
        std::memcmp(parsed.values.get(), read.samples.data() + 1, parsed.count * sizeof(float)) == 0;
}

void StreamingParseFloor(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(streamingParseFloor(record));
    const ParsedValues parsed = streamingParseFloor(record);
    const Record read = std::get<Record>(readRecordFile(record));
    state.counters["matches"] =
        parsed.count == static_cast<size_t>(read.sampleCount) &&
        std::memcmp(parsed.values.get(), read.samples.data() + 1, parsed.count * sizeof(float)) == 0;
}

void Read(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readRecordFile(record));
}

void Analysis(benchmark::State &state)
{
    const Record read = std::get<Record>(readRecordFile(record));
    for (auto _ : state) {
        state.PauseTiming();
        Record copy = read.copy();
        state.ResumeTiming();
        benchmark::DoNotOptimize(analyseRecord(std::move(copy), "bench"));
    }
}

void ReadAndAnalysis(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(loadRecord(record));
}

// The window's load, which also makes the detail view's min/max summary
// and finds the exceedances while the levels are made; the counter
// summary_bytes_per_sample gives the summary's size.
void ReadAndAnalysisDetail(benchmark::State &state)
{
    double bytesPerSample = 0;
    for (auto _ : state) {
        RecordDetailBuilder builder;
        LoadOptions options;
        options.followLevels = [&builder](const LevelledPiece &piece) { builder.follow(piece); };
        LoadResult result = loadRecord(record, {}, options);
        const RecordDetail detail = builder.finish(std::nullopt);
        if (const auto *r = std::get_if<AnalysedRecord>(&result))
            bytesPerSample = static_cast<double>(detail.samples.bytes() + detail.levels.bytes()) / r->sampleCount;
        benchmark::DoNotOptimize(result);
    }
    state.counters["summary_bytes_per_sample"] = bytesPerSample;
}

void Spectrum(benchmark::State &state)
{
    const AnalysedRecord &r = loaded();
    for (auto _ : state)
        benchmark::DoNotOptimize(segmentSpectrum(r.samples, 0, r.sampleCount));
    const SegmentSpectrum got = segmentSpectrum(r.samples, 0, r.sampleCount);
    const ReferenceSpectrum want = referenceSegmentSpectrum(r.samples, 0, r.sampleCount);
    const bool identical = std::memcmp(got.lines.data(), want.lines.data(), sizeof got.lines) == 0 &&
                           std::memcmp(&got.peak, &want.peak, sizeof got.peak) == 0 &&
                           got.peakLine == want.peakLine && got.blockCount == want.blockCount;
    state.counters["identical"] = identical ? 1 : 0;
    state.counters["blocks"] = got.blockCount;
}

void ReferenceSpectrumOfRecord(benchmark::State &state)
{
    const AnalysedRecord &r = loaded();
    for (auto _ : state)
        benchmark::DoNotOptimize(referenceSegmentSpectrum(r.samples, 0, r.sampleCount));
    state.counters["matches"] = 1;   // the reference itself
}

// The same Hann-windowed 2048-sample blocks, 512 apart, through FFTW's
// single-precision real transform, planned once; the powers of lines
// 0..1023 summed, then averaged and scaled like the program's lines.
class FftwBlocks {
public:
    FftwBlocks()
        : in(fftwf_alloc_real(spectrumBlockLength)),
          out(fftwf_alloc_complex(spectrumBlockLength / 2 + 1)),
          plan(fftwf_plan_dft_r2c_1d(spectrumBlockLength, in, out, FFTW_ESTIMATE))
    {
        const double step = 2 * 3.14159265 / spectrumBlockLength;
        for (int t = 0; t < spectrumBlockLength; ++t)
            window[t] = static_cast<float>((1 - std::cos(t * step)) * 0.5);
    }
    ~FftwBlocks()
    {
        fftwf_destroy_plan(plan);
        fftwf_free(out);
        fftwf_free(in);
    }
    FftwBlocks(const FftwBlocks &) = delete;
    FftwBlocks &operator=(const FftwBlocks &) = delete;

    // Lines of samples[start..end]; returns the number of blocks.
    int spectrum(const std::vector<float> &samples, int64_t start, int64_t end,
                 std::array<float, spectrumLines> &lines)
    {
        lines.fill(0);
        const int64_t available = static_cast<int64_t>(samples.size());
        int blocks = 0;
        int64_t b = start;
        do {
            const int64_t inside = std::clamp<int64_t>(available - b, 0, spectrumBlockLength);
            for (int t = 0; t < inside; ++t)
                in[t] = samples[b + t] * window[t];
            for (int64_t t = inside; t < spectrumBlockLength; ++t)
                in[t] = 0;
            fftwf_execute(plan);
            for (int k = 0; k < spectrumLines; ++k)
                lines[k] += out[k][0] * out[k][0] + out[k][1] * out[k][1];
            ++blocks;
            b += spectrumHop;
        } while (b + spectrumBlockLength <= end);
        const float c = 0.5f / 0.426f / 1024;
        for (float &line : lines)
            line = std::sqrt(line / blocks) * c;
        return blocks;
    }

private:
    float *in;
    fftwf_complex *out;
    fftwf_plan plan;
    std::array<float, spectrumBlockLength> window;
};

void FftwSpectrum(benchmark::State &state)
{
    const AnalysedRecord &r = loaded();
    FftwBlocks fftw;
    std::array<float, spectrumLines> lines;
    int blocks = 0;
    for (auto _ : state) {
        blocks = fftw.spectrum(r.samples, 0, r.sampleCount, lines);
        benchmark::DoNotOptimize(lines.data());
        benchmark::ClobberMemory();
    }
    state.counters["blocks"] = blocks;
    const ReferenceSpectrum want = referenceSegmentSpectrum(r.samples, 0, r.sampleCount);
    bool matches = blocks == want.blockCount;
    for (int k = 0; k < spectrumLines; ++k)
        matches = matches && std::abs(lines[k] - want.lines[k]) <= 1e-3f * want.peak;
    state.counters["matches"] = matches;
}

// How much two threads get done beside one: the same chain of dependent
// multiplications on one thread, then on two at once. Near 2 when both cores
// are free; near 1 when the machine gives two threads one core's time, and
// a stage gains nothing from its helper.
void TwoThreads(benchmark::State &state)
{
    const auto spin = [] {
        uint64_t x = 1;
        for (int i = 0; i < 100'000'000; ++i)
            x = x * 6364136223846793005u + 1442695040888963407u;
        benchmark::DoNotOptimize(x);
    };
    using Clock = std::chrono::steady_clock;
    double speedup = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        spin();
        const Clock::time_point alone = Clock::now();
        std::thread other(spin);
        spin();
        other.join();
        speedup = 2.0 * (alone - start) / (Clock::now() - alone);
    }
    state.counters["speedup"] = speedup;
}

void PlotGeometry(benchmark::State &state)
{
    const AnalysedRecord &r = loaded();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            wavePolyline(r.samples, r.sampleCount, r.peakAmplitude, 7452, 2256));
        benchmark::DoNotOptimize(levelPolyline(r.slowLevel, r.sampleCount, 7452, 2256));
    }
}

void ReportRow(benchmark::State &state)
{
    const AnalysedRecord &r = loaded();
    for (auto _ : state)
        benchmark::DoNotOptimize(summaryFields(r, std::nullopt, "."));
}

} // namespace

int main(int argc, char **argv)
{
    record = benchRecord(argc, argv);
    using Function = void (*)(benchmark::State &);
    for (auto [name, function] : std::initializer_list<std::pair<const char *, Function>>{
             {"ParseFloor", ParseFloor},
             {"StreamingParseFloor", StreamingParseFloor},
             {"Read", Read},
             {"Analysis", Analysis},
             {"ReadAndAnalysis", ReadAndAnalysis},
             {"ReadAndAnalysisDetail", ReadAndAnalysisDetail},
             {"Spectrum", Spectrum},
             {"ReferenceSpectrum", ReferenceSpectrumOfRecord},
             {"FftwSpectrum", FftwSpectrum},
             {"PlotGeometry", PlotGeometry},
             {"TwoThreads", TwoThreads},
             {"ReportRow", ReportRow},
         })
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    const size_t ran = benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return ran > 0 ? 0 : 1;
}
