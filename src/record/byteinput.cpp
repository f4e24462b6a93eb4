#include "record/byteinput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <locale.h>
#include <string.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

ByteInput::ByteInput(std::string_view bytes) : memory_(bytes), size_(bytes.size()) {}

ByteInput::ByteInput(int fd, std::optional<uint64_t> size, bool owned)
    : fd_(fd), owned_(owned), size_(size)
{
}

ByteInput::ByteInput(ByteInput &&other) noexcept
    : memory_(other.memory_), peeked_(std::move(other.peeked_)), fd_(other.fd_), owned_(other.owned_), ended_(other.ended_),
      failed_(other.failed_), size_(other.size_), read_(other.read_)
{
    other.owned_ = false;
}

ByteInput::~ByteInput()
{
    if (owned_)
        ::close(fd_);
}

size_t ByteInput::read(char *into, size_t capacity)
{
    size_t n = 0;
    if (fd_ < 0) {
        n = std::min<size_t>(capacity, memory_.size() - read_);
        std::memcpy(into, memory_.data() + read_, n);
    } else {
        n = std::min(capacity, peeked_.size());
        std::memcpy(into, peeked_.data(), n);
        peeked_.erase(0, n);
        n += readDescriptor(into + n, capacity - n);
    }
    read_ += n;
    return n;
}

std::string_view ByteInput::peek(size_t count)
{
    if (fd_ < 0)
        return memory_.substr(read_, count);
    if (peeked_.size() < count) {
        const size_t had = peeked_.size();
        peeked_.resize(count);
        peeked_.resize(had + readDescriptor(peeked_.data() + had, count - had));
    }
    return std::string_view(peeked_).substr(0, count);
}

size_t ByteInput::readDescriptor(char *into, size_t capacity)
{
    size_t n = 0;
    while (n < capacity && !ended_) {
        const ssize_t got = ::read(fd_, into + n, capacity - n);
        if (got > 0) {
            n += static_cast<size_t>(got);
        } else if (got == 0) {
            ended_ = true;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A descriptor opened without waiting: wait for the writer here.
            pollfd ready{fd_, POLLIN, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            ended_ = failed_ = true;
        }
    }
    return n;
}

bool ByteInput::cutShort() const
{
    struct stat now {};
    return failed_ || (fd_ >= 0 && size_ && ::fstat(fd_, &now) == 0 &&
                       static_cast<uint64_t>(now.st_size) < *size_);
}

double fractionRead(const ByteInput &input, uint64_t bytes, int64_t values, int64_t announced)
{
    double done = 0;
    if (const auto size = input.size(); size && *size > 0)
        done = static_cast<double>(bytes) / static_cast<double>(*size);
    else if (announced > 0)
        done = static_cast<double>(values) / static_cast<double>(announced);
    return std::min(1.0, done);
}

LoadError endedEarly(const ByteInput &input, const std::string &name, const std::string &reason)
{
    return LoadError{name, 0, input.cutShort() ? shortenedReason : reason};
}

namespace {

const char *kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "something else";
}

} // namespace

std::string systemReason(int error)
{
    // A report's rows, JSON included, are the same bytes under every
    // locale, whatever a toolkit has set it to.
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c ? strerror_l(error, c) : "error " + std::to_string(error);
}

std::variant<ByteInput, LoadError> openRecordFile(const std::string &path)
{
    // Without waiting, so that opening a named pipe without a writer returns
    // at once and it can be refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return LoadError{path, 0, "cannot be opened: " + systemReason(errno)};
    struct stat status {};
    const bool examined = ::fstat(fd, &status) == 0;
    const int error = errno;
    if (!examined || !S_ISREG(status.st_mode)) {
        ::close(fd);
        if (!examined)
            return LoadError{path, 0, "cannot be examined: " + systemReason(error)};
        return LoadError{path, 0,
                         std::string("is ") + kindOf(status.st_mode) + ", not a regular file"};
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return ByteInput(fd, static_cast<uint64_t>(status.st_size), true);
}

std::variant<ByteInput, LoadError> openStandardInput(const std::string &name)
{
    struct stat status {};
    if (::fstat(STDIN_FILENO, &status) != 0)
        return LoadError{name, 0, "standard input cannot be examined: " + systemReason(errno)};
    if (S_ISDIR(status.st_mode))
        return LoadError{name, 0, "standard input is a directory, not a regular file"};
    std::optional<uint64_t> size;
    const off_t at = ::lseek(STDIN_FILENO, 0, SEEK_CUR);
    if (S_ISREG(status.st_mode) && at >= 0 && at <= status.st_size)
        size = static_cast<uint64_t>(status.st_size - at);
    return ByteInput(STDIN_FILENO, size, false);
}
