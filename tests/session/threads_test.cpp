#include "session/threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>
#include <stdexcept>

#include <pthread.h>

namespace {

// A chunk whose work takes longer or shorter by its number, so that helpers
// finish out of order.
struct Numbered {
    int number = 0;
    float value = 0;
    int worker = -1;
};

void workOn(Numbered &chunk, int worker)
{
    double x = chunk.number;
    for (int i = 0; i < (chunk.number * 7919) % 23 * 400; ++i)
        x = std::sin(x) + chunk.number;
    chunk.value = static_cast<float>(x);
    chunk.worker = worker;
    if (chunk.number == 77)
        throw std::bad_alloc();
}

// Chunks 0..99 through a pool, at most `ahead` in flight, their values
// added up in the order taken until chunk 77 fails.
struct PoolRun {
    float sum = 0;
    int taken = 0;
    bool failed = false;
    bool callerWorked = false;
};

PoolRun run(int helpers, CallerShare share, size_t ahead)
{
    PoolRun result;
    OrderedPool<Numbered> pool(helpers, share, workOn);
    int posted = 0;
    try {
        for (;; ++result.taken) {
            for (; posted < 100 && pool.inFlight() < ahead; ++posted)
                pool.post({posted});
            const Numbered chunk = pool.take();
            EXPECT_EQ(chunk.number, result.taken);
            EXPECT_LE(chunk.worker, pool.helpers());
            result.sum += chunk.value;
            result.callerWorked = result.callerWorked || chunk.worker == 0;
        }
    } catch (const std::bad_alloc &) {
        result.failed = true;
    }
    return result;   // the pool goes with chunks still in flight
}

// No thread can be started while one lives: each would need more stack
// than there is address space.
class NoThreads {
public:
    NoThreads()
    {
        pthread_getattr_default_np(&saved_);
        pthread_attr_t huge;
        pthread_attr_init(&huge);
        pthread_attr_setstacksize(&huge, size_t{1} << 52);
        pthread_setattr_default_np(&huge);
        pthread_attr_destroy(&huge);
    }
    ~NoThreads()
    {
        pthread_setattr_default_np(&saved_);
        pthread_attr_destroy(&saved_);
    }

private:
    pthread_attr_t saved_;
};

} // namespace

// Whoever works the chunks, they come back in order with the values the
// caller alone gives, and a chunk's exception comes out of its take, after
// the chunks before it, whichever thread threw it.
TEST(OrderedPool, ChunksComeBackAsTheCallerAloneMakesThem)
{
    const PoolRun alone = run(0, CallerShare::waits, 1);
    EXPECT_EQ(alone.taken, 77);
    EXPECT_TRUE(alone.failed);
    EXPECT_TRUE(alone.callerWorked);
    for (const CallerShare share : {CallerShare::waits, CallerShare::helps}) {
        for (const int helpers : {0, 1, 3}) {
            for (const size_t ahead : {size_t{2}, size_t{9}, size_t{1000}}) {
                SCOPED_TRACE(testing::Message() << "helps " << (share == CallerShare::helps) << ", "
                                                << helpers << " helpers, " << ahead << " ahead");
                const PoolRun threaded = run(helpers, share, ahead);
                EXPECT_EQ(threaded.sum, alone.sum);
                EXPECT_EQ(threaded.taken, 77);
                EXPECT_TRUE(threaded.failed);
                if (share == CallerShare::waits && helpers > 0) {
                    EXPECT_FALSE(threaded.callerWorked);
                }
            }
        }
    }
}

// When the system gives no thread the caller works every chunk itself, as
// it posts it, and waits for nobody.
TEST(OrderedPool, WithoutThreadsTheCallerWorksEachChunkAsItPostsIt)
{
    const PoolRun alone = run(0, CallerShare::waits, 1);
    const NoThreads none;
    for (const CallerShare share : {CallerShare::waits, CallerShare::helps}) {
        OrderedPool<Numbered> pool(2, share, workOn);
        EXPECT_EQ(pool.helpers(), 0);
        pool.post({3});
        EXPECT_EQ(pool.take([] { FAIL() << "waited"; }).worker, 0);
        const PoolRun unhelped = run(2, share, 4);
        EXPECT_EQ(unhelped.sum, alone.sum);
        EXPECT_EQ(unhelped.taken, 77);
    }
    FollowingStage<int> stage(true, [](int &) {});
    EXPECT_EQ(stage.helpers(), 0);
}

// The following stage works its chunks one at a time in the order posted,
// as the caller alone would; while none waits its helper is offered other
// work, with the number of chunks posted so far, and what that throws comes
// out of a take that follows.
TEST(FollowingStage, WorksChunksInOrderAndIdlesBetween)
{
    for (const bool helper : {false, true}) {
        SCOPED_TRACE(helper);
        std::vector<int> order;   // written by one thread at a time, or TSan says so
        std::vector<int64_t> offered;
        FollowingStage<int> stage(
            helper, [&](int &chunk) { order.push_back(chunk); },
            [&](int64_t posted) {
                offered.push_back(posted);
                if (posted >= 10)
                    throw std::runtime_error("idle failed");
                return false;
            });
        int taken = 0, failures = 0;
        const auto takeNext = [&] {
            try {
                EXPECT_EQ(stage.take(), taken);
            } catch (const std::runtime_error &) {
                ++failures;   // that chunk is lost
            }
            ++taken;
        };
        for (int k = 0; k < 11; ++k) {
            stage.post(k);
            if (stage.inFlight() > 2)
                takeNext();
        }
        while (stage.inFlight() > 0)
            takeNext();
        // The helper has been offered work after the last chunk; its
        // failure is out at the latest with the next chunk.
        stage.post(11);
        takeNext();
        std::vector<int> all(12);
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(order, all);
        EXPECT_TRUE(std::is_sorted(offered.begin(), offered.end()));
        EXPECT_EQ(failures, helper ? 1 : 0);
        EXPECT_EQ(std::count_if(offered.begin(), offered.end(), [](int64_t n) { return n >= 10; }), failures);
    }
}
