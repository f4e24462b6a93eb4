#include "record/binary/sampleblocks.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include <sys/mman.h>

namespace {

constexpr size_t blockBytes = SampleBlocks::blockValues * sizeof(float);

} // namespace

void SampleBlocks::Unmap::operator()(float *block) const
{
    ::munmap(block, blockBytes);
}

float *SampleBlocks::room(size_t &fits)
{
    if (used_ == blockValues) {
        blocks_.reserve(blocks_.size() + 1);
        void *block = ::mmap(nullptr, blockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        blocks_.emplace_back(static_cast<float *>(block));
        used_ = 0;
    }
    fits = blockValues - used_;
    return blocks_.back().get() + used_;
}

void SampleBlocks::moveInto(std::vector<float> &out, const std::function<void()> &tick)
{
    size_t left = size_;
    for (auto &block : blocks_) {
        const size_t count = std::min(left, blockValues);
        out.insert(out.end(), block.get(), block.get() + count);
        left -= count;
        block.reset();
        if (tick)
            tick();
    }
    clear();
}

void SampleBlocks::clear()
{
    blocks_.clear();
    used_ = blockValues;
    size_ = 0;
}
