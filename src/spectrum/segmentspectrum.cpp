#include "spectrum/segmentspectrum.h"

#include "spectrum/blockfft.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
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

class BlockTransform {
public:
    BlockTransform(const std::vector<float> &samples, int64_t start)
        : samples_(samples), start_(start), fft_(spectrumBlockLength, hannTable())
    {
    }

    // Windows and transforms block `index` (counted from the segment's
    // start) and keeps its lines in slot `slot` of `batch`.
    void run(int64_t index, Batch &batch, int slot)
    {
        const int64_t b = start_ + index * spectrumHop;
        // Samples past the record's last entry count as 0.
        const int64_t available = static_cast<int64_t>(samples_.size());
        const int inside = static_cast<int>(std::clamp<int64_t>(available - b, 0, spectrumBlockLength));
        fft_.transform(samples_.data() + std::min(b, available), inside,
                       batch.re.data() + slot * spectrumLines, batch.im.data() + slot * spectrumLines);
    }

    void runBatch(int64_t first, int64_t count, Batch &batch)
    {
        for (int64_t i = 0; i < count; ++i)
            run(first + i, batch, static_cast<int>(i));
    }

private:
    const std::vector<float> &samples_;
    int64_t start_;
    BlockFft fft_;
};

// A second thread transforms every odd batch into a small ring of buffers
// while the calling thread transforms the even ones; the calling thread
// adds all of them up in block order, so the sums round exactly as if one
// thread had done everything.
class OddBatches {
public:
    OddBatches(const std::vector<float> &samples, int64_t start, int64_t blocks)
        : transform_(samples, start), blocks_(blocks), thread_([this] { work(); })
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
            const int64_t first = (2 * n + 1) * batchBlocks;
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
    const int64_t blocks_;
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

SegmentSpectrum segmentSpectrum(const std::vector<float> &samples, int32_t start, int32_t end,
                                const SpectrumProgress &progress, const ThreadPolicy &threads)
{
    if (end < start)
        std::swap(start, end);
    // Amplitude of a full-scale cosine line: the window sums to 1024 and the
    // transform doubles nothing, so 0.5 / 0.426 / 1024 per unit.
    const double c = 0.5 / 0.426 / 1024;
    const int64_t length = static_cast<int64_t>(end) - start;
    const int64_t blocks = spectrumBlockCount(length);
    const int64_t batches = (blocks + batchBlocks - 1) / batchBlocks;

    SegmentSpectrum result;
    std::array<float, spectrumLines> &sums = result.lines;
    const auto add = [&](const Batch &batch, int64_t first, int64_t count) {
        for (int64_t i = 0; i < count; ++i) {
            addLinePowers(sums.data(), batch.re.data() + i * spectrumLines,
                          batch.im.data() + i * spectrumLines, spectrumLines, c);
            ++result.blockCount;
            if (progress) {
                const double advanced = static_cast<double>(first + i + 1) * spectrumHop;
                const double percent = length > 0 ? advanced / length * 100 : 100;
                progress(static_cast<float>(std::clamp(percent, 0.0, 100.0)));
            }
        }
    };

    BlockTransform transform(samples, start);
    Batch own;
    std::optional<OddBatches> odd;
    if (blocks >= threads.spectrumFromBlocks && threads.threads > 1 && batches > 1) {
        odd.emplace(samples, start, blocks);
        if (!odd->started())
            odd.reset();
    }
    for (int64_t n = 0; n < batches; ++n) {
        const int64_t first = n * batchBlocks;
        const int64_t count = std::min<int64_t>(batchBlocks, blocks - first);
        if (!odd || n % 2 == 0) {
            transform.runBatch(first, count, own);
            add(own, first, count);
        } else {
            add(odd->take(n), first, count);
            odd->release();
        }
    }

    for (int k = 0; k < spectrumLines; ++k) {
        sums[k] = static_cast<float>(std::sqrt(static_cast<double>(sums[k]) / result.blockCount));
        if (sums[k] > result.peak) {
            result.peak = sums[k];
            result.peakLine = k;
        }
    }
    return result;
}
