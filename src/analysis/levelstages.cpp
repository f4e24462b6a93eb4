#include "analysis/levelstages.h"

#include "session/progress.h"

#include <algorithm>

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

// A piece's running mean squares, from the weighting to the levels; it
// belongs to one stage at a time. The buffers go round: a few pieces are in
// flight at most.
struct Weighed {
    int64_t piece = 0;
    std::vector<double> meanSquares;
};
constexpr size_t piecesInFlight = 8;

// The weighting runs on the caller's thread; the levels run on the
// following stage's helper when there is one, on the caller's otherwise.
struct Stages {
    std::vector<float> &samples;                 // the weighting's
    int32_t count;
    int32_t sampleRate;
    std::vector<float> *levels;                  // the levels'
    MeanRemoval removal;                         // the weighting's
    SlowLevel slow;                              // the levels'
    const Progress &progress;                    // the caller's
    const FollowLevels &follow;                  // the levels'

    void weigh(Weighed &w)
    {
        const SamplePiece piece = samplePiece(w.piece, count);
        w.meanSquares.resize(static_cast<size_t>(piece.n));
        removal.weighRange(samples.data() + piece.from, piece.n, w.meanSquares.data());
    }
    // The kept levels grow a piece at a time, so that their fresh pages are
    // taken on this stage's thread.
    void level(const Weighed &w)
    {
        const SamplePiece piece = samplePiece(w.piece, count);
        const float *kept = nullptr;
        if (!levels) {
            slow.largestOf(w.meanSquares.data(), piece.n);
        } else {
            levels->resize(static_cast<size_t>(piece.from) + piece.n);
            slow.levelRange(w.meanSquares.data(), piece.n, levels->data() + piece.from);
            kept = levels->data() + piece.from;
        }
        if (follow)
            follow({samples.data() + piece.from, w.meanSquares.data(), kept, piece.from, piece.n, count, sampleRate});
    }
    // Progress `base` + 0..0.5 before piece p, from the second piece on.
    void tick(double base, int64_t p) const
    {
        if (progress && p > 0)
            progress(base + 0.5 * samplePiece(p, count).from / count);
    }
};

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
    Stages s{samples, count, sampleRate, levels, MeanRemoval(sum, count, sampleRate),
             SlowLevel(sampleRate), progress, follow};
    // The levels of each piece follow its weighting, on a helper from
    // threads.levelFromSamples on; this thread reports the progress of both.
    IdleWork idle;
    if (alongside)
        idle = [&](int64_t weighed) { return alongside(finalEntries(weighed, count)); };
    FollowingStage<Weighed> levelling(count >= threads.levelFromSamples && threads.threads > 1,
                                      [&](Weighed &w) { s.level(w); }, idle);
    std::vector<std::vector<double>> spare;
    int64_t levelled = 0;
    const auto takeLevelled = [&] {
        spare.push_back(levelling.take().meanSquares);
        ++levelled;
    };
    const int64_t pieces = pieceCount(count);
    for (int64_t p = 0; p < pieces; ++p) {
        s.tick(0, p);
        if (levelling.inFlight() == piecesInFlight)
            takeLevelled();
        Weighed w{p, {}};
        if (!spare.empty()) {
            w.meanSquares = std::move(spare.back());
            spare.pop_back();
        }
        s.weigh(w);
        levelling.post(std::move(w));
    }
    reportProgress(progress, 0.5);
    for (int64_t p = 1; p < pieces; ++p) {
        while (levelled < p)
            takeLevelled();
        s.tick(0.5, p);
    }
    while (levelling.inFlight() > 0)
        takeLevelled();
    return {s.removal.result(), s.slow.lawMax()};
}
