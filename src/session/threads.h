#pragma once

#include <cstddef>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>

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
    int64_t spectrumFromBlocks = 17;      // the spectrum's helper takes every other batch
                                          // of 16 blocks from this many blocks on
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

// A thread that does part of a stage's work beside the caller and is joined
// when it goes out of scope. When the system gives no thread, started() is
// false and the caller does that part itself.
class HelperThread {
public:
    HelperThread() = default;
    template <class Work>
    explicit HelperThread(Work &&work)
    {
        try {
            thread_ = std::thread(std::forward<Work>(work));
        } catch (const std::system_error &) {
            // No thread to be had: started() says so.
        }
    }
    HelperThread(HelperThread &&) = default;
    HelperThread &operator=(HelperThread &&other)
    {
        join();
        thread_ = std::move(other.thread_);
        return *this;
    }
    ~HelperThread() { join(); }

    bool started() const { return thread_.joinable(); }
    void join()
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::thread thread_;
};
