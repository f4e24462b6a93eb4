#pragma once

#include "record/byteinput.h"
#include "record/loaderror.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>

// A binary record's bytes in file order, with the CRC of every byte taken
// so far (see crc.h).
class BinaryInput {
public:
    // `tick` is called after every read of up to `chunkBytes` bytes.
    BinaryInput(ByteInput &input, size_t chunkBytes, std::function<void()> tick)
        : input_(input), chunkBytes_(chunkBytes > 0 ? chunkBytes : 1), tick_(std::move(tick))
    {
    }

    // The next `count` bytes into `out`; false when the input ends first.
    bool take(char *out, size_t count);
    // Passes over the next `count` bytes; false when the input ends first.
    bool skip(uint64_t count);

    uint64_t offset() const { return offset_; }
    uint16_t crc() const { return crc_; }
    // A format without a CRC need not have it computed.
    void keepCrc(bool keep) { keepCrc_ = keep; }
    size_t chunkBytes() const { return chunkBytes_; }
    // The bytes after the current one, when the input's size is known.
    std::optional<uint64_t> bytesLeft() const;
    const ByteInput &input() const { return input_; }

private:
    ByteInput &input_;
    size_t chunkBytes_;
    std::function<void()> tick_;
    uint64_t offset_ = 0;
    uint16_t crc_ = 0;
    bool keepCrc_ = true;
};

// A number stored in `bytes` in the given byte order.
template <class T>
T loadNumber(const char *bytes, bool bigEndian)
{
    static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, bytes, sizeof raw);
    if (bigEndian != (std::endian::native == std::endian::big))
        for (size_t i = 0; i < sizeof raw / 2; ++i)
            std::swap(raw[i], raw[sizeof raw - 1 - i]);
    T value;
    std::memcpy(&value, raw, sizeof value);
    return value;
}

// A text with the bytes up to the first NUL, without the blanks after them,
// as UTF-8.
std::string fixedText(const char *bytes, size_t size);

// `reason` for an input that ended early (see byteinput.h).
inline LoadError endedEarly(const BinaryInput &in, const std::string &name, const std::string &reason)
{
    return endedEarly(in.input(), name, reason);
}
