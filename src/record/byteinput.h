#pragma once

#include "record/loaderror.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The bytes of a record in file order, taken with plain reads into buffers
// the reader owns: from a file, from a descriptor that cannot seek and whose
// size is unknown (a pipe, standard input), or from memory. Nothing is
// mapped, so a file cut short while it is read simply ends early.
class ByteInput {
public:
    // Over bytes in memory, which must outlive it.
    explicit ByteInput(std::string_view bytes);
    // Reads from `fd`, closing it at the end when `owned`; `size` is the
    // total when known.
    ByteInput(int fd, std::optional<uint64_t> size, bool owned);
    ByteInput(ByteInput &&other) noexcept;
    ByteInput &operator=(ByteInput &&) = delete;
    ~ByteInput();

    // Fills [into, into + capacity) and returns how many bytes it put there:
    // fewer than capacity only at the end of the input, 0 once it is over.
    // A read that fails ends the input.
    size_t read(char *into, size_t capacity);

    // Up to `count` of the next bytes, without taking them: the next reads
    // give them again. A reader can be chosen by the bytes a file starts
    // with, a pipe's too. Valid until the next call.
    std::string_view peek(size_t count);

    std::optional<uint64_t> size() const { return size_; }
    uint64_t bytesRead() const { return read_; }
    // The input ended because a read failed, or because the file became
    // shorter than it was when opened.
    bool cutShort() const;

private:
    size_t readDescriptor(char *into, size_t capacity);

    std::string_view memory_;
    std::string peeked_;   // read from the descriptor, not yet taken
    int fd_ = -1;
    bool owned_ = false;
    bool ended_ = false;
    bool failed_ = false;
    std::optional<uint64_t> size_;
    uint64_t read_ = 0;
};

// Opens the file at `path`. Anything but a regular file (a folder, a device,
// a named pipe) is refused without being read.
std::variant<ByteInput, LoadError> openRecordFile(const std::string &path);

// Standard input, read as it comes and left open; its size is known when it
// is a regular file (the bytes from where it stands on). `name` names it in
// errors.
std::variant<ByteInput, LoadError> openStandardInput(const std::string &name);

// How much of `input` is read, 0 to 1: `bytes` of its size, or, when that
// is unknown, `values` of `announced` values (0 when none are announced).
double fractionRead(const ByteInput &input, uint64_t bytes, int64_t values, int64_t announced);

// Why an input that ended early could not be read: shortenedReason when it
// was cut short while it was read, else `reason`.
inline constexpr char shortenedReason[] =
    "could not be read to its end: it was shortened, or a read failed, while it was read";
LoadError endedEarly(const ByteInput &input, const std::string &name, const std::string &reason);
