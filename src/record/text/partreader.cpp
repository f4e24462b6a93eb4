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
    const bool ahead = filler_.helpers() > 0;
    // Without a helper the part is read here, at once, as posted.
    if (!ahead || filler_.inFlight() == 0)
        filler_.post(spare());
    std::unique_ptr<Part> part = filler_.take(tick);
    if (ahead && !part->last)
        filler_.post(spare());
    taken_ += part->bytes.size();
    return part;
}

void PartReader::recycle(std::unique_ptr<Part> part)
{
    spare_.push_back(std::move(part));
}
