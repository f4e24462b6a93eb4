#include "spectrum/segmentspectrum.h"

#include "spectrum/blockfft.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
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

// The transformed lines 0..1023 of a batch of blocks.
struct Batch {
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

    void runBatch(int64_t first, int64_t count, Batch &batch)
    {
        for (int64_t i = 0; i < count; ++i)
            run(first + i, batch.re.data() + i * spectrumLines, batch.im.data() + i * spectrumLines);
    }

private:
    std::span<const float> samples_;
    int64_t start_;
    BlockFft fft_;
};

namespace {

using spectrumdetail::BlockTransform;

// A second thread transforms every odd batch of the blocks from `first` on
// into a small ring of buffers while the calling thread transforms the even
// ones; the calling thread adds all of them up in block order, so the sums
// round exactly as if one thread had done everything.
class OddBatches {
public:
    OddBatches(std::span<const float> samples, int64_t start, int64_t first, int64_t blocks)
        : transform_(samples, start), first_(first), blocks_(blocks), thread_([this] { work(); })
    {
    }

    ~OddBatches()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    // False when the system gave no thread: the caller does every batch.
    bool started() const { return thread_.started(); }

    // Waits for odd batch `batch` (1, 3, 5, ... in turn) and returns it.
    const Batch &take(int64_t batch)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done_ > batch / 2; });
        return ring_[(batch / 2) % ringSize];
    }

    // Frees the buffer of the batch last taken.
    void release()
    {
        {
            std::lock_guard lock(mutex_);
            ++released_;
        }
        changed_.notify_all();
    }

private:
    static constexpr int ringSize = 4;

    void work()
    {
        for (int64_t n = 0;; ++n) {
            const int64_t first = first_ + (2 * n + 1) * batchBlocks;
            if (first >= blocks_)
                return;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || n - released_ < ringSize; });
                if (stop_)
                    return;
            }
            transform_.runBatch(first, std::min<int64_t>(batchBlocks, blocks_ - first),
                                ring_[n % ringSize]);
            {
                std::lock_guard lock(mutex_);
                done_ = n + 1;
            }
            changed_.notify_all();
        }
    }

    BlockTransform transform_;
    const int64_t first_, blocks_;
    Batch ring_[ringSize];
    std::mutex mutex_;
    std::condition_variable changed_;
    int64_t done_ = 0;      // odd batches ready
    int64_t released_ = 0;  // odd batches added up
    bool stop_ = false;
    HelperThread thread_;   // last: it starts once everything it uses is made
};

} // namespace

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
    const auto addBatch = [&](const Batch &batch, int64_t count) {
        for (int64_t i = 0; i < count; ++i)
            add(batch.re.data() + i * spectrumLines, batch.im.data() + i * spectrumLines, progress);
    };
    Batch own;
    std::optional<OddBatches> odd;
    if (blocks_ >= threads.spectrumFromBlocks && threads.threads > 1 && batches > 1) {
        odd.emplace(samples_, start_, first, blocks_);
        if (!odd->started())
            odd.reset();
    }
    for (int64_t n = 0; n < batches; ++n) {
        const int64_t from = first + n * batchBlocks;
        const int64_t count = std::min<int64_t>(batchBlocks, blocks_ - from);
        if (!odd || n % 2 == 0) {
            transform_->runBatch(from, count, own);
            addBatch(own, count);
        } else {
            addBatch(odd->take(n), count);
            odd->release();
        }
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
