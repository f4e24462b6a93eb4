#include "record/text/parallelscan.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

// The whole lines of a part: from its first line start to its last one. A
// line start follows a line end and is none itself, so no CR LF and no field
// but a quoted one runs over it.
void markWholeLines(Part &part)
{
    const std::vector<char> &b = part.bytes;
    part.from = part.to = 0;
    if (b.size() < 2)
        return;
    const auto lineStart = [&](size_t i) { return isLineEnd(b[i - 1]) && !isLineEnd(b[i]); };
    size_t from = 1, to = b.size() - 1;
    while (from < b.size() && !lineStart(from))
        ++from;
    while (to > from && !lineStart(to))
        --to;
    if (from < to) {
        part.from = from;
        part.to = to;
    }
}

void scanPart(Part &part)
{
    part.scan = SampleScan{};
    part.scan.part = true;
    part.values.clear();
    const char *b = part.bytes.data();
    part.scan.scan(b + part.from, b + part.to, true, part.values, SIZE_MAX);
}

// Helper threads that scan the whole lines of posted parts, the part read
// last first: the caller works from the other end, on the part it needs
// next, and takes back the parts no helper has started. So each side does
// as much as its speed allows.
class Helpers {
public:
    explicit Helpers(int count) : toStart_(std::max(count, 0)) {}
    ~Helpers()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            queue_.clear();
        }
        changed_.notify_all();
        threads_.clear();
    }

    // False when there is no helper: the caller then reads the part itself.
    bool post(Part &part)
    {
        for (; toStart_ > 0; --toStart_) {
            HelperThread thread([this] { work(); });
            if (!thread.started())
                toStart_ = 1;
            else
                threads_.push_back(std::move(thread));
        }
        if (threads_.empty())
            return false;
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(&part);
        }
        changed_.notify_all();
        return true;
    }

    // True when no helper has started `part`, which is then the caller's.
    bool takeBack(const Part &part)
    {
        std::lock_guard lock(mutex_);
        const auto queued = std::find(queue_.begin(), queue_.end(), &part);
        if (queued == queue_.end())
            return false;
        queue_.erase(queued);
        return true;
    }

    // Waits until `part` is scanned, calling `tick` every 10 ms meanwhile.
    void wait(const Part &part, const std::function<void()> &tick)
    {
        std::unique_lock lock(mutex_);
        while (!changed_.wait_for(lock, std::chrono::milliseconds(10), [&] { return part.done; })) {
            lock.unlock();
            tick();
            lock.lock();
        }
    }

private:
    void work()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_)
                return;
            Part *part = queue_.back();
            queue_.pop_back();
            lock.unlock();
            scanPart(*part);
            lock.lock();
            part->done = true;
            changed_.notify_all();
        }
    }

    int toStart_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Part *> queue_;
    bool stop_ = false;
    std::vector<HelperThread> threads_;
};

} // namespace

SamplesRead readSamples(PartReader &parts, std::unique_ptr<Part> current, size_t at,
                        SampleScan scan, int32_t count, std::vector<float> &samples,
                        const ThreadPolicy &threads, const std::function<void()> &tick)
{
    SamplesRead result;
    const size_t wanted = static_cast<size_t>(count) + 1;
    const auto need = [&] { return wanted - samples.size(); };
    // The values as they stand (the scan gives only finite ones), summed in
    // file order.
    const auto take = [&](const float *values, size_t n) {
        samples.insert(samples.end(), values, values + n);
        ValueTotals totals{result.sum, result.largest};
        addValues(values, n, totals);
        result.sum = totals.sum;
        result.largest = totals.largest;
    };
    std::vector<float> mine;
    // Scans [from, to) of `part` on this thread; false once the scan stopped.
    const auto own = [&](const Part &part, size_t from, size_t to, bool last) {
        mine.clear();
        const char *b = part.bytes.data();
        const char *p = scan.scan(b + from, b + to, last, mine, scan.countOnly ? SIZE_MAX : need());
        take(mine.data(), mine.size());
        if (scan.stop == ScanStop::Count) {
            scan.countOnly = true;
            scan.scan(p, b + to, last, mine, SIZE_MAX);
        }
        return scan.stop == ScanStop::More;
    };

    const int perStage = std::max(threads.threads, 1);
    // A part ahead for each thread and one more, so that no helper waits
    // while this thread takes over another's values. Each part more would
    // only cost fresh memory.
    const auto lookahead = perStage > 1 ? static_cast<size_t>(perStage) + 1 : 0;
    std::deque<std::unique_ptr<Part>> ahead;
    Helpers helpers(perStage - 1);   // stops before the parts it may read go
    bool going = own(*current, at, current->bytes.size(), current->last);
    bool lastRead = current->last;
    parts.recycle(std::move(current));
    tick();
    while (going) {
        while (!lastRead && ahead.size() < std::max<size_t>(lookahead, 1)) {
            std::unique_ptr<Part> part = parts.next(tick);
            lastRead = part->last;
            markWholeLines(*part);
            if (part->to > part->from && !helpers.post(*part))
                part->from = part->to = 0;
            ahead.push_back(std::move(part));
            tick();   // fresh buffers may be slow to come
        }
        if (ahead.empty())
            break;
        std::unique_ptr<Part> part = std::move(ahead.front());
        ahead.pop_front();
        if (part->to > part->from && helpers.takeBack(*part))
            part->from = part->to = 0;
        size_t rest = 0;
        if (part->to > part->from) {
            going = own(*part, 0, part->from, false);
            helpers.wait(*part, tick);
            // The helper's values, where it read all of its lines; those past
            // the ones asked for are only counted.
            if (going && scan.betweenFields() && part->scan.stop == ScanStop::End) {
                const size_t taken = std::min(need(), part->values.size());
                take(part->values.data(), taken);
                scan.counted += static_cast<int64_t>(part->values.size() - taken);
                scan.skipLines(part->scan.line, part->bytes[part->to - 1]);
                scan.countOnly = need() == 0;
            } else if (going) {
                going = own(*part, part->from, part->to, false);
            }
            rest = part->to;
        }
        if (going)
            going = own(*part, rest, part->bytes.size(), part->last);
        parts.recycle(std::move(part));
        tick();
    }
    result.scan = scan;
    if (need() == 0)
        result.scan.stop = ScanStop::Count;
    result.extra = scan.counted;
    return result;
}
