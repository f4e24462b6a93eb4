#include "record/binary/recordbuffer.h"

#include <libmseed.h>

#include <algorithm>
#include <cstring>

size_t RecordBuffer::fill(size_t count)
{
    const size_t part = std::max<size_t>(1, options_.threads.readPartBytes);
    while (end_ - begin_ < count && !ended_) {
        if (room() == 0 || bytes_.size() - libraryReach - begin_ < count) {
            const size_t kept = end_ - begin_;
            if (begin_ > 0) {
                std::memmove(bytes_.data(), bytes_.data() + begin_, kept);
                std::memset(bytes_.data() + kept, 0, begin_);
            }
            begin_ = 0;
            end_ = kept;
            bytes_.resize(std::max({bytes_.size(), count + libraryReach,
                                    std::min<size_t>(part, MAXRECLEN) + libraryReach}));
        }
        const size_t wanted = std::min(part, room());
        const size_t got = input_.read(bytes_.data() + end_, wanted);
        end_ += got;
        ended_ = got < wanted;
        tick();
    }
    return end_ - begin_;
}

void RecordBuffer::tick() const
{
    reportProgress(options_.progress, fractionRead(input_, input_.bytesRead(), 0, 0));
}
