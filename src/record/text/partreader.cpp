#include "record/text/partreader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

PartReader::PartReader(ByteInput &input, size_t partBytes, bool readAhead)
    : input_(input), partBytes_(std::max<size_t>(partBytes, 1))
{
    if (readAhead)
        reader_ = HelperThread([this] { this->readAhead(); });
}

PartReader::~PartReader()
{
    stop();
}

void PartReader::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

std::unique_ptr<Part> PartReader::spare()
{
    std::lock_guard lock(mutex_);
    if (spare_.empty())
        return std::make_unique<Part>();
    std::unique_ptr<Part> part = std::move(spare_.back());
    spare_.pop_back();
    return part;
}

void PartReader::fill(Part &part)
{
    // A short input takes no buffer of the full size; one byte more than
    // it holds shows its end.
    size_t capacity = partBytes_;
    if (const auto size = input_.size(); size && *size >= input_.bytesRead())
        capacity = static_cast<size_t>(std::min<uint64_t>(capacity, *size - input_.bytesRead() + 1));
    part.bytes.resize(capacity);
    const size_t got = ended_ ? 0 : input_.read(part.bytes.data(), capacity);
    part.bytes.resize(got);
    part.last = ended_ = got < capacity;
    part.from = part.to = 0;
    part.values.clear();
    part.done = false;
}

void PartReader::readAhead()
{
    struct Finished {
        PartReader &r;
        ~Finished()
        {
            {
                std::lock_guard lock(r.mutex_);
                r.finished_ = true;
            }
            r.changed_.notify_all();
        }
    } finished{*this};
    try {
        while (!ended_) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || ready_.size() < partsAhead; });
                if (stopping_)
                    return;
            }
            std::unique_ptr<Part> part = spare();
            fill(*part);
            {
                std::lock_guard lock(mutex_);
                ready_.push_back(std::move(part));
            }
            changed_.notify_all();
        }
    } catch (...) {
        std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        changed_.notify_all();
    }
}

std::unique_ptr<Part> PartReader::next(const std::function<void()> &tick)
{
    std::unique_ptr<Part> part;
    if (!reader_.started()) {
        part = spare();
        fill(*part);
    } else {
        std::unique_lock lock(mutex_);
        while (!changed_.wait_for(lock, std::chrono::milliseconds(10),
                                  [&] { return !ready_.empty() || failure_ || finished_; })) {
            if (tick) {
                lock.unlock();
                tick();
                lock.lock();
            }
        }
        if (ready_.empty() && failure_)
            std::rethrow_exception(failure_);
        if (ready_.empty()) {
            // Asked again after the last part: the helper has ended, and an
            // empty last part says the input is over.
            lock.unlock();
            part = spare();
            fill(*part);
        } else {
            part = std::move(ready_.front());
            ready_.pop_front();
            lock.unlock();
            changed_.notify_all();
        }
    }
    taken_ += part->bytes.size();
    return part;
}

void PartReader::recycle(std::unique_ptr<Part> part)
{
    std::lock_guard lock(mutex_);
    spare_.push_back(std::move(part));
}
