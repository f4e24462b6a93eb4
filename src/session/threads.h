#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

// Who works on a long stage. Reading, analysis and spectrum are plain
// functions of their data that take a ThreadPolicy: it says how many threads
// one stage may use on one record and from what length helpers pay. The
// figures are the same whatever it says.
struct ThreadPolicy {
    int threads = 1;                      // per stage, the caller's included; 1: no helper
    size_t readPartBytes = 1 << 20;       // the reader reads and parses in parts of this
                                          // size; parts after the first may go to helpers
    int32_t levelFromSamples = 2 << 16;   // the slow level follows the weighting on a
                                          // helper from this many samples on
    int64_t spectrumFromBlocks = 17;      // the spectrum's batches of 16 blocks go to
                                          // helpers too from this many blocks on
};

// As many threads as the computer has cores.
ThreadPolicy defaultThreads();

// One thread, no helpers.
ThreadPolicy singleThread();

// sismavue-report --jobs N (0 when not given: one job per core) on `files`
// files: how many files are worked on at once, and the policy of each. Every
// job is one thread; jobs left over when there are fewer files help with
// each file.
struct JobPlan {
    size_t filesAtOnce = 1;
    ThreadPolicy perFile;
};
JobPlan planJobs(int64_t jobs, size_t files);

// Every thread of the program is started, waited for and stopped here. A
// stage hands its work out in chunks: the caller posts each chunk (it then
// belongs to the pool) and takes it back, worked, in the order posted. A
// helper touches a chunk only from the moment it starts it to the moment it
// has finished it, and what the caller's `work` and `idle` reach through
// their captures; the caller does not touch a posted chunk until it has taken
// it. One thread, the caller, makes, feeds, empties and ends a pool.
//
// When the system gives no thread, the caller does the work itself: with no
// helper, post() works the chunk at once. Either way the chunks come back
// the same, in the same order, and an exception a chunk's work throws, on
// whichever thread, comes out of the take() of that chunk.

// Called about every 10 ms while the caller waits for a helper.
using WaitTick = std::function<void()>;

// Other work for a helper while no chunk waits, given the number of chunks
// posted so far: does a little and returns true, or returns false when
// there is none yet.
using IdleWork = std::function<bool(int64_t posted)>;

// Who works the chunks of a pool beside its helpers.
enum class CallerShare {
    waits,   // helpers start the oldest chunk first; the caller only waits
    helps,   // helpers start the newest first; the caller, waiting for the
             // oldest, works the oldest ones no helper has started
};

namespace threadsdetail {

using ChunkPtr = std::unique_ptr<void, void (*)(void *)>;

// The chunks of one pool as the threads see them, whatever their type.
class ChunkTurns {
public:
    using Work = std::function<void(void *chunk, int worker)>;

    ChunkTurns(int helpers, CallerShare share, Work work, IdleWork idle);
    ~ChunkTurns();
    ChunkTurns(const ChunkTurns &) = delete;
    ChunkTurns &operator=(const ChunkTurns &) = delete;

    int helpers() const { return static_cast<int>(threads_.size()); }
    size_t inFlight() const { return inFlight_; }
    void post(ChunkPtr chunk);
    ChunkPtr take(const WaitTick &tick);
    void stop();

private:
    enum class State { waiting, working, done };
    struct Entry {
        ChunkPtr chunk;
        State state = State::waiting;
        std::exception_ptr failure;   // what its work threw
    };

    void serve(int worker);
    bool idleOnce(std::unique_lock<std::mutex> &lock);
    void workOne(std::unique_lock<std::mutex> &lock, size_t index, int worker);
    std::optional<size_t> forHelper() const;
    std::optional<size_t> forCaller() const;

    const CallerShare share_;
    const Work work_;
    const IdleWork idle_;
    std::mutex mutex_;
    std::condition_variable forHelpers_;   // a chunk posted, or stopping
    std::condition_variable forCaller_;    // a chunk done
    // Guarded by mutex_: the chunks posted and not yet taken, oldest first;
    // how many were taken before them, and are waiting among them.
    std::deque<Entry> entries_;
    int64_t taken_ = 0;
    size_t waiting_ = 0;
    std::exception_ptr idleFailure_;       // guarded: until the next take
    bool idleFailed_ = false;              // guarded: idle is not called again
    bool stopping_ = false;                // guarded
    size_t inFlight_ = 0;                  // the caller's: posted, not taken
    std::vector<std::thread> threads_;     // the caller's; started last
};

} // namespace threadsdetail

// Chunks worked side by side by up to `helpers` helper threads (and the
// caller, as `share` says), taken back in the order posted. `work` gets the
// chunk and the number of the thread: 0 the caller, 1..helpers() a helper,
// so that it can keep scratch memory per thread. `idle`, when given, is
// called by helpers while no chunk waits, possibly by several at once.
template <class Chunk>
class OrderedPool {
public:
    using Work = std::function<void(Chunk &chunk, int worker)>;

    OrderedPool(int helpers, CallerShare share, Work work, IdleWork idle = {})
        : work_(std::move(work)),
          turns_(helpers, share, [this](void *chunk, int worker) { work_(*static_cast<Chunk *>(chunk), worker); },
                 std::move(idle))
    {
    }

    // The helpers the system gave, 0 to `helpers`.
    int helpers() const { return turns_.helpers(); }

    void post(Chunk chunk)
    {
        turns_.post(threadsdetail::ChunkPtr(new Chunk(std::move(chunk)),
                                            [](void *c) { delete static_cast<Chunk *>(c); }));
    }

    // The oldest chunk posted and not yet taken (there must be one), once
    // worked; rethrows what its work threw, or what `idle` threw since.
    Chunk take(const WaitTick &tick = {})
    {
        threadsdetail::ChunkPtr chunk = turns_.take(tick);
        return std::move(*static_cast<Chunk *>(chunk.get()));
    }

    // Chunks posted and not yet taken.
    size_t inFlight() const { return turns_.inFlight(); }

    // Helpers finish the chunk in hand and end; the caller then works the
    // chunks it takes, and posts, itself. Also when the pool goes.
    void stop() { turns_.stop(); }

private:
    const Work work_;
    threadsdetail::ChunkTurns turns_;   // last: its helpers use what is above
};

// Results made by up to `helpers` helper threads in the order of their
// index, from 0 to `count`, at most `ahead` of them worked on or waiting
// beyond the one taken: memory holds only those few.
template <class Result>
class OrderedAhead {
public:
    OrderedAhead(size_t count, size_t helpers, size_t ahead, std::function<Result(size_t)> make)
        : count_(count), ahead_(ahead), make_(std::move(make)),
          pool_(static_cast<int>(helpers), CallerShare::waits, [this](Job &job, int) { job.result = make_(job.index); })
    {
    }

    // The next index's result (there must be one), waiting for it with `tick`.
    Result next(const WaitTick &tick = {})
    {
        for (; posted_ < count_ && pool_.inFlight() < ahead_; ++posted_)
            pool_.post({posted_, {}});
        return pool_.take(tick).result;
    }

private:
    struct Job {
        size_t index = 0;
        Result result;
    };
    size_t count_, ahead_, posted_ = 0;
    std::function<Result(size_t)> make_;
    OrderedPool<Job> pool_;   // last: its helpers use what is above
};

// A stage that follows the caller's: one helper works the chunks in the
// order posted, one at a time, while the caller goes on with the next. The
// chunks may carry the buffers between the two stages. Without a helper
// (`helper` false, or none to be had) post() works each chunk at once, and
// `idle` is never called.
template <class Chunk>
class FollowingStage : public OrderedPool<Chunk> {
public:
    FollowingStage(bool helper, std::function<void(Chunk &)> work, IdleWork idle = {})
        : OrderedPool<Chunk>(helper ? 1 : 0, CallerShare::waits,
                             [work = std::move(work)](Chunk &chunk, int) { work(chunk); }, std::move(idle))
    {
    }
};
