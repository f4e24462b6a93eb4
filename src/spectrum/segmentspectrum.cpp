#include "spectrum/segmentspectrum.h"

#include "session/threads.h"
#include "spectrum/blockfft.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

namespace {

// Periodic Hann window over one block.
std::vector<float> hannTable()
{
    std::vector<float> w(spectrumBlockLength);
    const double step = 2 * 3.14159265 / spectrumBlockLength;
    for (int t = 0; t < spectrumBlockLength; ++t)
        w[t] = static_cast<float>((1 - std::cos(t * step)) * 0.5);
    return w;
}

// Blocks transformed in one go by one thread.
constexpr int batchBlocks = 16;

// The transformed lines 0..1023 of blocks first..first+count-1; it belongs
// to the thread that transforms it, then to the one that adds it up.
struct Batch {
    int64_t first = 0, count = 0;
    std::vector<float> re = std::vector<float>(batchBlocks * spectrumLines);
    std::vector<float> im = std::vector<float>(batchBlocks * spectrumLines);
};

} // namespace

// The windowed blocks of one segment.
class spectrumdetail::BlockTransform {
public:
    BlockTransform(std::span<const float> samples, int64_t start)
        : samples_(samples), start_(start), fft_(spectrumBlockLength, hannTable())
    {
    }

    // Windows and transforms block `index` (counted from the segment's
    // start) and keeps its lines in re and im.
    void run(int64_t index, float *re, float *im)
    {
        const int64_t b = start_ + index * spectrumHop;
        // Samples past the record's last entry count as 0.
        const int64_t available = static_cast<int64_t>(samples_.size());
        const int inside = static_cast<int>(std::clamp<int64_t>(available - b, 0, spectrumBlockLength));
        fft_.transform(samples_.data() + std::min(b, available), inside, re, im);
    }

    void runBatch(Batch &batch)
    {
        for (int64_t i = 0; i < batch.count; ++i)
            run(batch.first + i, batch.re.data() + i * spectrumLines, batch.im.data() + i * spectrumLines);
    }

private:
    std::span<const float> samples_;
    int64_t start_;
    BlockFft fft_;
};

using spectrumdetail::BlockTransform;

int spectrumBlockCount(int64_t length)
{
    if (length < spectrumBlockLength + spectrumHop)
        return 1;
    return static_cast<int>(1 + (length - spectrumBlockLength) / spectrumHop);
}

double lineFrequency(int line, int32_t sampleRate)
{
    return static_cast<double>(line) * sampleRate / spectrumBlockLength;
}

SpectrumSum::SpectrumSum(std::span<const float> samples, int32_t start, int32_t end)
    : samples_(samples), start_(std::min(start, end)),
      length_(static_cast<int64_t>(std::max(start, end)) - start_),
      blocks_(spectrumBlockCount(length_)),
      transform_(std::make_unique<BlockTransform>(samples, start_))
{
}

SpectrumSum::~SpectrumSum() = default;

int64_t SpectrumSum::nextBlockReads() const
{
    return std::min<int64_t>(start_ + added_ * spectrumHop + spectrumBlockLength,
                             static_cast<int64_t>(samples_.size()));
}

void SpectrumSum::add(const float *re, const float *im, const SpectrumProgress &progress)
{
    // Amplitude of a full-scale cosine line: the window sums to 1024 and the
    // transform doubles nothing, so 0.5 / 0.426 / 1024 per unit.
    const double c = 0.5 / 0.426 / 1024;
    addLinePowers(sums_.data(), re, im, spectrumLines, c);
    ++added_;
    if (progress) {
        const double advanced = static_cast<double>(added_) * spectrumHop;
        progress(length_ > 0 ? std::min(advanced / length_, 1.0) : 1.0);
    }
}

void SpectrumSum::addNextBlock()
{
    std::array<float, spectrumLines> re, im;
    transform_->run(added_, re.data(), im.data());
    add(re.data(), im.data(), {});
}

SegmentSpectrum SpectrumSum::finish(const SpectrumProgress &progress, const ThreadPolicy &threads)
{
    const int64_t first = added_;
    const int64_t batches = (blocks_ - first + batchBlocks - 1) / batchBlocks;
    const bool helped = blocks_ >= threads.spectrumFromBlocks && threads.threads > 1 && batches > 1;
    // Helpers transform batches beside this thread, each with a transform
    // of its own; this thread adds them up in block order, so the sums round
    // exactly as if it had done everything.
    // Entry k is helper k + 1's alone, made on its thread when it first works.
    std::vector<std::unique_ptr<BlockTransform>> helperTransforms(helped ? threads.threads - 1 : 0);
    OrderedPool<Batch> pool(helped ? threads.threads - 1 : 0, CallerShare::helps, [&](Batch &batch, int worker) {
        if (worker == 0)
            return transform_->runBatch(batch);
        std::unique_ptr<BlockTransform> &own = helperTransforms[static_cast<size_t>(worker) - 1];
        if (!own)
            own = std::make_unique<BlockTransform>(samples_, start_);
        own->runBatch(batch);
    });
    // A few batches ahead for each thread, their buffers used again.
    const size_t ahead = 2 * static_cast<size_t>(pool.helpers()) + 1;
    std::vector<Batch> spare;
    int64_t posted = 0;
    for (int64_t n = 0; n < batches; ++n) {
        for (; posted < batches && pool.inFlight() < ahead; ++posted) {
            Batch batch = spare.empty() ? Batch{} : std::move(spare.back());
            if (!spare.empty())
                spare.pop_back();
            batch.first = first + posted * batchBlocks;
            batch.count = std::min<int64_t>(batchBlocks, blocks_ - batch.first);
            pool.post(std::move(batch));
        }
        Batch batch = pool.take();
        for (int64_t i = 0; i < batch.count; ++i)
            add(batch.re.data() + i * spectrumLines, batch.im.data() + i * spectrumLines, progress);
        spare.push_back(std::move(batch));
    }

    SegmentSpectrum result;
    result.blockCount = static_cast<int>(added_);
    for (int k = 0; k < spectrumLines; ++k) {
        result.lines[k] =
            static_cast<float>(std::sqrt(static_cast<double>(sums_[k]) / result.blockCount));
        if (result.lines[k] > result.peak) {
            result.peak = result.lines[k];
            result.peakLine = k;
        }
    }
    return result;
}

SegmentSpectrum segmentSpectrum(std::span<const float> samples, int32_t start, int32_t end,
                                const SpectrumProgress &progress, const ThreadPolicy &threads)
{
    return SpectrumSum(samples, start, end).finish(progress, threads);
}
