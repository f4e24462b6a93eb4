#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

// Values whose number is not known before the last one, kept in blocks
// mapped apart from the heap: moving them into one array gives each block
// back to the system as soon as it is copied, so the move needs one block
// beside the values instead of twice their memory.
class SampleBlocks {
public:
    static constexpr size_t blockValues = size_t{1} << 20;   // 4 MiB of floats

    size_t size() const { return size_; }

    // Room for at least one more value: where it goes and how many fit
    // there; commit(n) then takes the first n of them. Throws
    // std::bad_alloc when no memory is left.
    float *room(size_t &fits);
    void commit(size_t count)
    {
        used_ += count;
        size_ += count;
    }

    // Appends every value to `out`, which must have room for them, giving
    // back each block once it is copied (and calling `tick` after each);
    // leaves this empty.
    void moveInto(std::vector<float> &out, const std::function<void()> &tick = {});
    void clear();

private:
    struct Unmap {
        void operator()(float *block) const;
    };
    std::vector<std::unique_ptr<float, Unmap>> blocks_;
    size_t used_ = blockValues;   // values in the last block
    size_t size_ = 0;
};
