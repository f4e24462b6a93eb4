#include "record/binary/binaryinput.h"

#include "record/binary/crc.h"
#include "record/headertext.h"

#include <algorithm>
#include <string_view>
#include <vector>

bool BinaryInput::take(char *out, size_t count)
{
    const size_t got = input_.read(out, count);
    if (keepCrc_)
        crc_ = addToCrc(crc_, out, got);
    offset_ += got;
    if (tick_)
        tick_();
    return got == count;
}

bool BinaryInput::skip(uint64_t count)
{
    std::vector<char> scratch(static_cast<size_t>(std::min<uint64_t>(count, chunkBytes_)));
    while (count > 0) {
        const size_t part = static_cast<size_t>(std::min<uint64_t>(count, scratch.size()));
        if (!take(scratch.data(), part))
            return false;
        count -= part;
    }
    return true;
}

std::optional<uint64_t> BinaryInput::bytesLeft() const
{
    const std::optional<uint64_t> size = input_.size();
    if (!size)
        return std::nullopt;
    return *size - std::min(*size, offset_);
}

std::string fixedText(const char *bytes, size_t size)
{
    std::string_view text(bytes, size);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return headerText(text);
}
