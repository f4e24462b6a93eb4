#include "record/text/partreader.h"

#include <algorithm>

PartReader::PartReader(ByteInput &input, size_t partBytes, bool readAhead)
    : input_(input), partBytes_(std::max<size_t>(partBytes, 1)),
      filler_(readAhead, [this](std::unique_ptr<Part> &part) { fill(*part); })
{
}

std::unique_ptr<Part> PartReader::spare()
{
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
}

std::unique_ptr<Part> PartReader::next(const WaitTick &tick)
{
    std::unique_ptr<Part> part;
    if (filler_.inFlight() > 0) {
        part = filler_.take(tick);
    } else {
        // Nothing read ahead (the first part, or no helper): read here.
        part = spare();
        fill(*part);
    }
    if (filler_.helpers() > 0 && !part->last)
        filler_.post(spare());
    taken_ += part->bytes.size();
    return part;
}

void PartReader::recycle(std::unique_ptr<Part> part)
{
    spare_.push_back(std::move(part));
}
