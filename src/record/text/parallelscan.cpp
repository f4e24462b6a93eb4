#include "record/text/parallelscan.h"

#include <algorithm>

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

void scanWholeLines(std::unique_ptr<Part> &part, int)
{
    if (part->from == part->to)
        return;
    part->scan = SampleScan{};
    part->scan.part = true;
    part->values.clear();
    const char *b = part->bytes.data();
    part->scan.scan(b + part->from, b + part->to, true, part->values, SIZE_MAX);
}

// The values as one thread reading the parts in file order sees them: the
// scan, the samples stored and their totals.
class InOrder {
public:
    InOrder(SampleScan scan, int32_t count, std::vector<float> &samples)
        : scan_(scan), wanted_(static_cast<size_t>(count) + 1), samples_(samples)
    {
    }

    // Reads part.bytes[from, to) on this thread; false once the scan stopped.
    bool own(const Part &part, size_t from, size_t to, bool last)
    {
        mine_.clear();
        const char *b = part.bytes.data();
        const char *p = scan_.scan(b + from, b + to, last, mine_, scan_.countOnly ? SIZE_MAX : need());
        take(mine_.data(), mine_.size());
        if (scan_.stop == ScanStop::Count) {
            scan_.countOnly = true;
            scan_.scan(p, b + to, last, mine_, SIZE_MAX);
        }
        return scan_.stop == ScanStop::More;
    }

    // Reads a whole part, taking over the values of its whole lines where
    // they were scanned on their own and this scan arrives between two
    // fields; false once the scan stopped.
    bool whole(const Part &part)
    {
        if (part.to == part.from)
            return own(part, 0, part.bytes.size(), part.last);
        if (!own(part, 0, part.from, false))
            return false;
        if (scan_.betweenFields() && part.scan.stop == ScanStop::End) {
            // Those past the values asked for are only counted.
            const size_t taken = std::min(need(), part.values.size());
            take(part.values.data(), taken);
            scan_.counted += static_cast<int64_t>(part.values.size() - taken);
            scan_.skipLines(part.scan.line, part.bytes[part.to - 1]);
            scan_.countOnly = need() == 0;
        } else if (!own(part, part.from, part.to, false)) {
            return false;
        }
        return own(part, part.to, part.bytes.size(), part.last);
    }

    SamplesRead result() const
    {
        SamplesRead r = result_;
        r.scan = scan_;
        if (need() == 0)
            r.scan.stop = ScanStop::Count;
        r.extra = scan_.counted;
        return r;
    }

private:
    size_t need() const { return wanted_ - samples_.size(); }

    // The values as they stand (the scan gives only finite ones), summed in
    // file order.
    void take(const float *values, size_t n)
    {
        samples_.insert(samples_.end(), values, values + n);
        ValueTotals totals{result_.sum, result_.largest};
        addValues(values, n, totals);
        result_.sum = totals.sum;
        result_.largest = totals.largest;
    }

    SampleScan scan_;
    const size_t wanted_;
    std::vector<float> &samples_;
    std::vector<float> mine_;      // this thread's values of a piece
    SamplesRead result_;
};

// The parts after the first, their whole lines scanned by `threads` - 1
// helpers (the part read last first) and by this thread where no helper
// has started the part it needs next.
void readParts(PartReader &parts, InOrder &reading, const ThreadPolicy &threads, const WaitTick &tick)
{
    OrderedPool<std::unique_ptr<Part>> scans(std::max(threads.threads, 1) - 1, CallerShare::helps,
                                             scanWholeLines);
    const bool helped = scans.helpers() > 0;
    // A part ahead for each thread and one more, so that no helper waits
    // while this thread takes over another's values. Each part more would
    // only cost fresh memory.
    const size_t inFlight = helped ? static_cast<size_t>(threads.threads) + 1 : 1;
    bool lastRead = false;
    for (bool going = true; going;) {
        while (!lastRead && scans.inFlight() < inFlight) {
            std::unique_ptr<Part> part = parts.next(tick);
            lastRead = part->last;
            if (helped)
                markWholeLines(*part);
            scans.post(std::move(part));
            tick();   // fresh buffers may be slow to come
        }
        if (scans.inFlight() == 0)
            break;
        std::unique_ptr<Part> part = scans.take(tick);
        going = reading.whole(*part);
        parts.recycle(std::move(part));
        tick();
    }
}

} // namespace

SamplesRead readSamples(PartReader &parts, std::unique_ptr<Part> current, size_t at,
                        SampleScan scan, int32_t count, std::vector<float> &samples,
                        const ThreadPolicy &threads, const WaitTick &tick)
{
    InOrder reading(scan, count, samples);
    const bool going = reading.own(*current, at, current->bytes.size(), current->last);
    const bool last = current->last;
    parts.recycle(std::move(current));
    tick();
    if (going && !last)
        readParts(parts, reading, threads, tick);
    return reading.result();
}
