#include "record/record.h"

#include "session/memory.h"

std::optional<std::string> lowRateReason(int64_t rate)
{
    if (rate >= minimumSampleRate)
        return std::nullopt;
    return "too low: the 2 Hz weighting filter cannot be designed below " + std::to_string(minimumSampleRate) +
           " samples per second";
}

std::optional<std::string> arraysReason(int64_t count, uint64_t memory)
{
    const uint64_t arrays = 2 * sizeof(float) * (static_cast<uint64_t>(count) + 1);
    if (memory == 0 || arrays <= memory)
        return std::nullopt;
    return ", whose arrays need " + std::to_string(arrays) + " bytes, more than the " + std::to_string(memory) +
           " bytes of memory available";
}

bool memoryHolds(uint64_t bytes)
{
    const uint64_t memory = availableMemory();
    return memory == 0 || bytes <= memory;
}
