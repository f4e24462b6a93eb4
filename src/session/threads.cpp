#include "session/threads.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <system_error>

namespace {

int cores()
{
    // Asked once: the answer comes from a system file.
    static const int count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return count;
}

} // namespace

ThreadPolicy defaultThreads()
{
    ThreadPolicy policy;
    policy.threads = cores();
    return policy;
}

ThreadPolicy singleThread()
{
    return ThreadPolicy{};
}

JobPlan planJobs(int64_t jobs, size_t files)
{
    const int64_t threads = std::min<int64_t>(jobs > 0 ? jobs : cores(), cores());
    const int64_t total = jobs > 0 ? jobs : cores();
    JobPlan plan;
    plan.filesAtOnce = static_cast<size_t>(std::clamp<int64_t>(static_cast<int64_t>(files), 1, total));
    plan.perFile.threads =
        static_cast<int>(std::max<int64_t>(1, threads / static_cast<int64_t>(plan.filesAtOnce)));
    return plan;
}

namespace threadsdetail {

ChunkTurns::ChunkTurns(int helpers, CallerShare share, Work work, IdleWork idle)
    : share_(share), work_(std::move(work)), idle_(std::move(idle))
{
    threads_.reserve(static_cast<size_t>(std::max(helpers, 0)));
    for (int worker = 1; worker <= helpers; ++worker) {
        try {
            threads_.emplace_back([this, worker] { serve(worker); });
        } catch (const std::system_error &) {
            break;   // no more threads to be had: those started share the work
        }
    }
}

ChunkTurns::~ChunkTurns()
{
    stop();
}

void ChunkTurns::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    forHelpers_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
    threads_.clear();
}

void ChunkTurns::post(ChunkPtr chunk)
{
    std::unique_lock lock(mutex_);
    entries_.push_back({std::move(chunk), State::waiting, {}});
    ++waiting_;
    ++inFlight_;
    if (threads_.empty()) {
        workOne(lock, entries_.size() - 1, 0);
        return;
    }
    lock.unlock();
    forHelpers_.notify_one();
}

ChunkPtr ChunkTurns::take(const WaitTick &tick)
{
    std::unique_lock lock(mutex_);
    if (entries_.empty())
        throw std::logic_error("take() with no chunk posted");
    const auto frontDone = [&] { return entries_.front().state == State::done; };
    while (!frontDone()) {
        if (const std::optional<size_t> own = forCaller()) {
            workOne(lock, *own, 0);
        } else if (!tick) {
            forCaller_.wait(lock, frontDone);
        } else if (!forCaller_.wait_for(lock, std::chrono::milliseconds(10), frontDone)) {
            lock.unlock();
            tick();
            lock.lock();
        }
    }
    Entry entry = std::move(entries_.front());
    entries_.pop_front();
    ++taken_;
    --inFlight_;
    const std::exception_ptr idleFailure = std::exchange(idleFailure_, nullptr);
    lock.unlock();
    if (entry.failure)
        std::rethrow_exception(entry.failure);
    if (idleFailure)
        std::rethrow_exception(idleFailure);
    return std::move(entry.chunk);
}

void ChunkTurns::serve(int worker)
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (const std::optional<size_t> next = forHelper())
            workOne(lock, *next, worker);
        else if (!idleOnce(lock))
            forHelpers_.wait(lock, [&] { return stopping_ || waiting_ > 0; });
    }
}

// Calls idle_ with the lock released; false when it had nothing to do or
// there is no idle_ (any more).
bool ChunkTurns::idleOnce(std::unique_lock<std::mutex> &lock)
{
    if (!idle_ || idleFailed_)
        return false;
    const int64_t posted = taken_ + static_cast<int64_t>(entries_.size());
    lock.unlock();
    try {
        const bool more = idle_(posted);
        lock.lock();
        return more;
    } catch (...) {
        lock.lock();
        idleFailure_ = std::current_exception();
        idleFailed_ = true;
        return false;
    }
}

// Works entries_[index] with the lock released. The caller may take the
// chunks before it meanwhile, so it is found again by its number.
void ChunkTurns::workOne(std::unique_lock<std::mutex> &lock, size_t index, int worker)
{
    Entry &entry = entries_[index];
    entry.state = State::working;
    --waiting_;
    void *chunk = entry.chunk.get();
    const int64_t number = taken_ + static_cast<int64_t>(index);
    lock.unlock();
    std::exception_ptr failure;
    try {
        work_(chunk, worker);
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    Entry &done = entries_[static_cast<size_t>(number - taken_)];
    done.state = State::done;
    done.failure = failure;
    forCaller_.notify_one();
}

// The chunk a helper starts next, if one waits.
std::optional<size_t> ChunkTurns::forHelper() const
{
    if (waiting_ == 0)
        return std::nullopt;
    const size_t n = entries_.size();
    for (size_t k = 0; k < n; ++k) {
        const size_t i = share_ == CallerShare::waits ? k : n - 1 - k;
        if (entries_[i].state == State::waiting)
            return i;
    }
    return std::nullopt;
}

// The chunk the caller works while it waits for the oldest: the oldest
// waiting one, when it helps or no helper is left.
std::optional<size_t> ChunkTurns::forCaller() const
{
    if (waiting_ == 0 || (share_ == CallerShare::waits && !threads_.empty()))
        return std::nullopt;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].state == State::waiting)
            return i;
    return std::nullopt;
}

} // namespace threadsdetail
