#include "analysis/levelstages.h"

#include "session/progress.h"

#include <algorithm>
#include <array>
#include <atomic>

namespace {

// The stages take samples 1..count in pieces that end before each multiple
// of progressInterval: piece p = 0, 1, ... starts at max(1, p *
// progressInterval).
struct SamplePiece {
    int32_t from = 0, n = 0;
};

int64_t pieceCount(int32_t count)
{
    return count / progressInterval + 1;
}

SamplePiece samplePiece(int64_t p, int32_t count)
{
    const int64_t from = std::max<int64_t>(1, p * progressInterval);
    const int64_t to = std::min<int64_t>(count, (p + 1) * progressInterval - 1);
    return {static_cast<int32_t>(from), static_cast<int32_t>(to - from + 1)};
}

// Entries 0.. of the samples that are final once `pieces` pieces are weighed.
int64_t finalEntries(int64_t pieces, int32_t count)
{
    if (pieces == 0)
        return 1;
    const SamplePiece last = samplePiece(pieces - 1, count);
    return int64_t{last.from} + last.n;
}

// The running mean squares of the pieces between the two stages: a few
// buffers of one piece each, taken in turn.
class PieceRing {
public:
    static constexpr int64_t pieces = 8;

    explicit PieceRing(int32_t count)
    {
        const int64_t used = std::min(pieces, pieceCount(count));
        for (int64_t k = 0; k < used; ++k)
            ring_[k].resize(std::min<int64_t>(progressInterval, count));
    }
    double *at(int64_t p) { return ring_[p % pieces].data(); }

private:
    std::array<std::vector<double>, pieces> ring_;
};

struct Stages {
    std::vector<float> &samples;
    int32_t count;
    int32_t sampleRate;
    std::vector<float> *levels;
    MeanRemoval removal;
    SlowLevel slow;
    PieceRing ring;
    const Progress &progress;
    const FollowLevels &follow;

    void weigh(int64_t p)
    {
        const SamplePiece piece = samplePiece(p, count);
        removal.weighRange(samples.data() + piece.from, piece.n, ring.at(p));
    }
    // The kept levels grow a piece at a time, so that their fresh pages are
    // taken on this stage's thread.
    void level(int64_t p)
    {
        const SamplePiece piece = samplePiece(p, count);
        const float *kept = nullptr;
        if (!levels) {
            slow.largestOf(ring.at(p), piece.n);
        } else {
            levels->resize(static_cast<size_t>(piece.from) + piece.n);
            slow.levelRange(ring.at(p), piece.n, levels->data() + piece.from);
            kept = levels->data() + piece.from;
        }
        if (follow)
            follow({samples.data() + piece.from, ring.at(p), kept, piece.from, piece.n, count, sampleRate});
    }
    // Progress `base` + 0..0.5 before piece p, from the second piece on.
    void tick(double base, int64_t p) const
    {
        if (progress && p > 0)
            progress(base + 0.5 * samplePiece(p, count).from / count);
    }
    void report(double done) const { reportProgress(progress, done); }
};

void onOneThread(Stages &s)
{
    for (int64_t p = 0; p < pieceCount(s.count); ++p) {
        s.tick(0, p);
        s.weigh(p);
        s.level(p);
    }
    s.report(0.5);
}

// The levels of each piece follow its weighting on a helper; this thread
// reports the progress of both.
void onTwoThreads(Stages &s, HelperThread &follower, std::atomic<int64_t> &weighed,
                  std::atomic<int64_t> &levelled)
{
    const int64_t pieces = pieceCount(s.count);
    const auto publish = [](std::atomic<int64_t> &done, int64_t value) {
        done.store(value, std::memory_order_release);
        done.notify_all();
    };
    // Should a progress call throw, the helper stops before what it uses goes.
    struct Finish {
        std::atomic<int64_t> &weighed;
        HelperThread &follower;
        ~Finish()
        {
            weighed.store(-1, std::memory_order_release);
            weighed.notify_all();
            follower.join();
        }
    } finish{weighed, follower};
    for (int64_t p = 0; p < pieces; ++p) {
        s.tick(0, p);
        for (int64_t done; p - (done = levelled.load(std::memory_order_acquire)) >= PieceRing::pieces;)
            levelled.wait(done, std::memory_order_acquire);
        s.weigh(p);
        publish(weighed, p + 1);
    }
    s.report(0.5);
    for (int64_t p = 0; p < pieces;) {
        const int64_t done = levelled.load(std::memory_order_acquire);
        for (; p < std::min(done + 1, pieces); ++p)
            s.tick(0.5, p);
        if (done == pieces)
            break;
        levelled.wait(done, std::memory_order_acquire);
    }
}

} // namespace

LevelStages weighAndLevel(std::vector<float> &samples, double sum, int32_t count,
                          int32_t sampleRate, std::vector<float> *levels,
                          const ThreadPolicy &threads, const Progress &progress,
                          const Alongside &alongside, const FollowLevels &follow)
{
    if (levels) {
        levels->clear();
        levels->push_back(0.0f);
    }
    Stages s{samples, count, sampleRate, levels, MeanRemoval(sum, count, sampleRate), SlowLevel(sampleRate),
             PieceRing(count), progress, follow};
    std::atomic<int64_t> weighed{0};     // pieces weighed; -1: stop
    std::atomic<int64_t> levelled{0};    // pieces levelled
    HelperThread follower;
    if (count >= threads.levelFromSamples && threads.threads > 1) {
        follower = HelperThread([&] {
            for (int64_t p = 0; p < pieceCount(count); ++p) {
                int64_t ready;
                while ((ready = weighed.load(std::memory_order_acquire)) >= 0 && ready <= p)
                    if (!alongside || !alongside(finalEntries(ready, count)))
                        weighed.wait(ready, std::memory_order_acquire);
                if (ready < 0)
                    return;
                s.level(p);
                levelled.store(p + 1, std::memory_order_release);
                levelled.notify_all();
            }
        });
    }
    if (follower.started())
        onTwoThreads(s, follower, weighed, levelled);
    else
        onOneThread(s);
    return {s.removal.result(), s.slow.lawMax()};
}
