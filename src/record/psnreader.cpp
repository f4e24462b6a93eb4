#include "record/psnreader.h"

#include "session/threads.h"

#include <cerrno>
#include <cfloat>
#include <cstring>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <memory>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

std::string LoadError::message() const
{
    std::string text = file + ": ";
    if (line > 0)
        text += "line " + std::to_string(line) + ": ";
    return text + reason;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool endsField(char c) { return c == ',' || isBlank(c) || isLineEnd(c); }

// A decimal number read from the front of a text.
struct Number {
    const char *end;               // one past the last character used; the start when none was
    const char *digits = nullptr;  // the number after its sign
    bool negative = false;
    uint64_t mantissa = 0;         // the first 19 significant digits
    long long significant = 0;     // count of significant digits; 0 for no number or zero
    long long scale = 0;           // value = mantissa * 10^scale when significant <= 19
    long long magnitude = 0;       // decimal exponent of the first non-zero digit
};

// Reads an optional sign, digits, an optional '.' with digits and an optional
// exponent from [p, end), always with '.' as the decimal point. "inf" and
// "nan" are not numbers here.
Number readNumber(const char *p, const char *end)
{
    Number number{p};
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char *begin = p;
    uint64_t mantissa = 0;  // the digits from the first non-zero one, while they fit
    long long significant = 0, zeros = 0, intDigits = 0, fractionDigits = 0;
    auto addDigit = [&](char c) {
        int digit = c - '0';
        if (significant == 0 && digit == 0) {
            ++zeros;
        } else {
            if (++significant <= 19)
                mantissa = mantissa * 10 + static_cast<uint64_t>(digit);
        }
    };
    for (; p != end && isDigit(*p); ++p, ++intDigits)
        addDigit(*p);
    if (p != end && *p == '.')
        for (++p; p != end && isDigit(*p); ++p, ++fractionDigits)
            addDigit(*p);
    if (intDigits + fractionDigits == 0)
        return number;

    long long exponent = 0;
    if (p != end && (*p == 'E' || *p == 'e')) {
        const char *e = p + 1;
        bool down = e != end && *e == '-';
        if (e != end && (*e == '+' || *e == '-'))
            ++e;
        if (e != end && isDigit(*e)) {
            for (; e != end && isDigit(*e); ++e)
                if (exponent < 1'000'000'000'000LL)
                    exponent = exponent * 10 + (*e - '0');
            p = e;
            exponent = down ? -exponent : exponent;
        }
    }
    number.end = p;

    const long long scale = exponent - fractionDigits;
    number.digits = begin;
    number.negative = negative;
    number.mantissa = mantissa;
    number.significant = significant;
    number.scale = scale;
    number.magnitude = intDigits - zeros - 1 + exponent;
    return number;
}

// |value| when it needs no more than one correctly rounded operation: up to
// 15 digits and a power of ten up to 22 are both exact doubles. That covers
// the usual texts and is much faster than the general conversion.
bool exactDouble(const Number &number, double &magnitude)
{
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (number.significant > 15 || number.scale < -22 || number.scale > 22)
        return false;
    const auto exact = static_cast<double>(number.mantissa);
    magnitude = number.scale < 0 ? exact / powers[-number.scale] : exact * powers[number.scale];
    return true;
}

// The number as a double; false when it lies beyond the double range (a
// value too small for a double is 0).
bool toDouble(const Number &number, double &result)
{
    double value = 0;
    if (number.significant == 0 || exactDouble(number, value)) {
        // Zero, or done.
    } else if (std::from_chars(number.digits, number.end, value, std::chars_format::general).ec ==
               std::errc::result_out_of_range) {
        // Too large when the first non-zero digit stands at 10^0 or above.
        if (number.magnitude >= 0)
            return false;
        value = 0;
    }
    result = number.negative ? -value : value;
    return true;
}

// Rounding the exact double again to float is correct unless it fell exactly
// on the midpoint between two floats (the decimal may lie on either side of
// it) or in the subnormal range; those are left to the general conversion.
bool nearestFloatFast(const Number &number, float &result)
{
    double value = 0;
    if (!exactDouble(number, value) || value < FLT_MIN)
        return false;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    constexpr uint64_t belowFloat = (uint64_t{1} << 29) - 1;   // double bits a float drops
    if ((bits & belowFloat) == (uint64_t{1} << 28))
        return false;
    result = static_cast<float>(value);
    return true;
}

// The number rounded once, straight from its decimal text, to the nearest
// 32-bit float. Returns false when it lies beyond the float range.
bool toFloat(const Number &number, float &result)
{
    float value = 0;
    if (number.significant == 0) {
        // All zeros.
    } else if (float fast = 0; nearestFloatFast(number, fast)) {
        value = fast;
    } else if (std::from_chars(number.digits, number.end, value, std::chars_format::general).ec ==
               std::errc::result_out_of_range) {
        // Out of range with its first digit at 10^0 or above is too large;
        // below the smallest float it is 0.
        if (number.magnitude >= 0)
            return false;
        value = 0;
    }
    if (std::isinf(value))
        return false;
    result = number.negative ? -value : value;
    return true;
}

// Round to the nearest integer, ties to the even neighbour.
double roundHalfEven(double value)
{
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        whole += 1;
    return whole;
}

bool isValidUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // Continuation count and the range of the second byte, which rules
        // out overlong forms, surrogates and code points beyond U+10FFFF.
        int more = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) more = 1;
        else if (lead == 0xE0) more = 2, low = 0xA0;
        else if (lead == 0xED) more = 2, high = 0x9F;
        else if (lead >= 0xE1 && lead <= 0xEF) more = 2;
        else if (lead == 0xF0) more = 3, low = 0x90;
        else if (lead == 0xF4) more = 3, high = 0x8F;
        else if (lead >= 0xF1 && lead <= 0xF3) more = 3;
        else return false;
        if (text.size() - i <= static_cast<size_t>(more))
            return false;
        for (int k = 1; k <= more; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += more + 1;
    }
    return true;
}

// Header texts written on Windows come in its Western code page; bytes that
// code page leaves unassigned keep their Latin-1 meaning.
std::string windows1252ToUtf8(std::string_view text)
{
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        char16_t code = byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : byte;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::string headerText(std::string_view value)
{
    return isValidUtf8(value) ? std::string(value) : windows1252ToUtf8(value);
}

// The line from 1-based character `position` on; empty when the line is shorter.
std::string_view valueFrom(std::string_view line, size_t position)
{
    return position - 1 <= line.size() ? line.substr(position - 1) : std::string_view();
}

bool hasKey(std::string_view line, std::string_view key)
{
    return line.substr(0, key.size()) == key;
}

struct Header {
    int32_t sampleCount = 0, sampleRate = 0;
    long countLine = 0, rateLine = 0;
    std::string stationCode, componentName;
    size_t dataStart = 0;  // first byte after the "Data:" line
    long dataLine = 0;     // line number at dataStart
};

// Reads header lines up to and including the "Data:" line.
std::variant<Header, LoadError> readHeader(std::string_view text, const std::string &fileName)
{
    Header header;
    long line = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        ++line;
        size_t stop = text.find_first_of("\r\n", pos);
        if (stop == std::string_view::npos)
            stop = text.size();
        std::string_view current = text.substr(pos, stop - pos);
        pos = stop;
        if (pos < text.size())
            pos += text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;

        if (hasKey(current, "Number of Samples")) {
            if (!readHeaderNumber(valueFrom(current, 20), header.sampleCount))
                return LoadError{fileName, line, "\"Number of Samples\" does not fit a 32-bit integer"};
            header.countLine = line;
        }
        if (hasKey(current, "SPS:")) {
            if (!readHeaderNumber(valueFrom(current, 6), header.sampleRate))
                return LoadError{fileName, line, "\"SPS:\" does not fit a 32-bit integer"};
            header.rateLine = line;
        }
        if (hasKey(current, "Station Code:"))
            header.stationCode = headerText(valueFrom(current, 15));
        if (hasKey(current, "Component Name:"))
            header.componentName = headerText(valueFrom(current, 17));
        if (hasKey(current, "Data:")) {
            header.dataStart = pos;
            header.dataLine = line + (stop < text.size());
            return header;
        }
    }
    return LoadError{fileName, line, "the file ends before a \"Data:\" line"};
}

std::optional<LoadError> checkHeader(const Header &header, size_t dataBytes,
                                     const std::string &fileName)
{
    if (header.countLine == 0)
        return LoadError{fileName, 0, "no \"Number of Samples\" line before the \"Data:\" line"};
    if (header.sampleCount < 1)
        return LoadError{fileName, header.countLine,
                         "the number of samples is " + std::to_string(header.sampleCount) +
                             "; it must be at least 1"};
    if (header.rateLine == 0)
        return LoadError{fileName, 0, "no \"SPS:\" line before the \"Data:\" line"};
    if (header.sampleRate < minimumSampleRate)
        return LoadError{fileName, header.rateLine,
                         "a sampling rate of " + std::to_string(header.sampleRate) +
                             " samples per second is too low: the 2 Hz weighting filter "
                             "cannot be designed below " +
                             std::to_string(minimumSampleRate) + " samples per second"};
    // Every value takes at least one byte, a digit or its comma; refusing a
    // larger count here keeps a damaged header from allocating gigabytes.
    if (static_cast<uint64_t>(header.sampleCount) > dataBytes)
        return LoadError{fileName, header.countLine,
                         "the header announces " + std::to_string(header.sampleCount) +
                             " samples but only " + std::to_string(dataBytes) +
                             " bytes follow the \"Data:\" line"};
    return std::nullopt;
}

// Moves `p` past blanks, tabs and line ends, counting the lines.
const char *skipSpace(const char *p, const char *end, long &line)
{
    while (p != end) {
        if (*p == '\n') {
            ++line;
        } else if (*p == '\r') {
            ++line;
            if (p + 1 != end && p[1] == '\n')
                ++p;
        } else if (!isBlank(*p)) {
            break;
        }
        ++p;
    }
    return p;
}

} // namespace

bool readHeaderNumber(std::string_view value, int32_t &result)
{
    std::string compact;
    compact.reserve(value.size());
    for (char c : value)
        if (!isBlank(c))
            compact += c;
    double number = 0;
    if (!toDouble(readNumber(compact.data(), compact.data() + compact.size()), number))
        return false;
    double rounded = roundHalfEven(number);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return false;
    result = static_cast<int32_t>(rounded);
    return true;
}

namespace {

// ---------------------------------------------------------------------------
// Bus errors while the text is scanned. The data of a file is mapped, not
// copied; if another program shortens the file while it is scanned, touching
// a page past its new end raises SIGBUS. A scan runs under a guard that turns
// such a fault inside its own text into a failed scan. Everything a guarded
// scan keeps on the stack is plain data, so jumping out of it leaves nothing
// behind.

struct BusGuard {
    sigjmp_buf jump;
    const char *begin;
    const char *end;
    BusGuard *outer;
};

thread_local BusGuard *activeGuard = nullptr;
struct sigaction previousBusAction {};

void onBusError(int signal, siginfo_t *info, void *context)
{
    BusGuard *guard = activeGuard;
    const char *address = static_cast<const char *>(info->si_addr);
    if (guard && address >= guard->begin && address < guard->end)
        siglongjmp(guard->jump, 1);
    // Not a fault of a guarded scan: whoever handled it before us does, or
    // the default action ends the program as it would have without us.
    if (previousBusAction.sa_flags & SA_SIGINFO) {
        if (previousBusAction.sa_sigaction) {
            previousBusAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
}

void installBusHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousBusAction);
    });
}

// Runs scan() and returns true, or returns false when it touched a page of
// [begin, end) that no longer exists. scan() must keep only plain data on
// its stack.
template <class Scan>
bool guarded(const char *begin, const char *end, Scan &scan)
{
    installBusHandler();
    BusGuard guard;
    guard.begin = begin;
    guard.end = end;
    guard.outer = activeGuard;
    // Lives in this frame, which the jump returns to: it also restores the
    // outer guard when scan() throws (a progress call may).
    struct Restore {
        BusGuard &guard;
        ~Restore() { activeGuard = guard.outer; }
    } restore{guard};
    if (sigsetjmp(guard.jump, 1) != 0)
        return false;
    activeGuard = &guard;
    scan();
    return true;
}

// ---------------------------------------------------------------------------
// The samples.

enum class ScanStop : uint8_t {
    Count,   // all the values asked for were stored
    End,     // the text ended first
    Range,   // a value lies beyond the float range
    Quote,   // a quoted field, which a part scan cannot place (see below)
};

// Where a scan stands; a scan continues from where the last one stopped.
struct SampleScan {
    const char *p = nullptr;  // next character to read
    long line = 0;            // line at p, when lines are counted; at the
                              // end, the last line of the text
    long fieldLine = 0;       // line of the value out of range
    long openQuote = 0;       // line of a quote that ran to the end of the text
    int32_t stored = 0;       // values stored so far
    ScanStop stop = ScanStop::Count;
    float sum = 0;            // running sum of the stored values, in file order
};

// Continues `scan` up to `upTo` values stored in out[0..upTo-1]; value k
// is sample k + 1. The progress is called every progressInterval samples
// with 5..10 percent of `total`. A part scan (Whole = false) counts no
// lines and stops at a quote: a quoted field may run over line ends, so a
// part that starts at a line start could start inside one.
template <bool Whole>
void scanSamples(SampleScan &scan, const char *end, float *out, int32_t upTo,
                 const ReadProgress *progress, int32_t total)
{
    const char *p = scan.p;
    long line = scan.line;
    float sum = scan.sum;
    int32_t i = scan.stored;
    scan.stop = ScanStop::Count;
    for (; i < upTo; ++i) {
        if (progress && *progress && (i + 1) % progressInterval == 0)
            (*progress)(5 + static_cast<int>(5LL * (i + 1) / total));
        if constexpr (Whole) {
            p = skipSpace(p, end, line);
        } else {
            while (p != end && (isBlank(*p) || isLineEnd(*p)))
                ++p;
        }
        if (p == end) {
            scan.stop = ScanStop::End;
            // A final line end does not open another line. The data never
            // starts the text, so end[-1] is always part of it.
            if (Whole && isLineEnd(end[-1]))
                --line;
            break;
        }
        const long fieldLine = line;
        Number number{p};
        if (*p == '"') {
            if constexpr (!Whole) {
                scan.stop = ScanStop::Quote;
                break;
            }
            const char *open = p + 1;
            const char *close = open;
            while (close != end && *close != '"')
                ++close;
            const char *start = open;
            while (start != close && isBlank(*start))
                ++start;
            number = readNumber(start, close);
            for (const char *q = open; q != close; ++q)
                if (*q == '\n' || (*q == '\r' && (q + 1 == close || q[1] != '\n')))
                    ++line;
            if (close == end)
                scan.openQuote = fieldLine;
            p = close == end ? end : close + 1;
        } else {
            number = readNumber(p, end);
            p = number.end;
        }
        while (p != end && !endsField(*p))
            ++p;
        while (p != end && isBlank(*p))
            ++p;
        if (p != end && *p == ',')
            ++p;

        float value = 0;
        if (!toFloat(number, value)) {
            scan.stop = ScanStop::Range;
            scan.fieldLine = fieldLine;
            break;
        }
        out[i] = value;
        sum = sum + value;
    }
    scan.p = p;
    scan.line = line;
    scan.stored = i;
    scan.sum = sum;
}

// Below this many bytes of data one thread reads everything.
thread_local size_t splitBytes = 1 << 20;

// Where a second thread may start: the first character after the line ends
// that follow the middle of [begin, end), or end.
const char *secondPartStart(const char *begin, const char *end)
{
    const char *p = begin + (end - begin) / 2;
    while (p != end && !isLineEnd(*p))
        ++p;
    while (p != end && isLineEnd(*p))
        ++p;
    return p;
}

// Scans into `samples` (entry 0 holds 0) while it grows a progress
// interval at a time within its reserved room, so that memory is only
// taken for values that are actually there. False when the text vanished
// under the scan.
template <bool Whole>
bool scanGrowing(SampleScan &scan, std::string_view text, std::vector<float> &samples,
                 int32_t upTo, const ReadProgress &progress, int32_t total)
{
    const char *end = text.data() + text.size();
    while (scan.stored < upTo && scan.stop == ScanStop::Count) {
        const int32_t next = std::min<int64_t>(
            upTo, (static_cast<int64_t>(scan.stored) / progressInterval + 1) * progressInterval);
        samples.resize(static_cast<size_t>(next) + 1);
        auto run = [&] { scanSamples<Whole>(scan, end, samples.data() + 1, next, &progress, total); };
        if (!guarded(text.data(), end, run))
            return false;
    }
    return true;
}

struct DataRead {
    SampleScan scan;
    bool complete = true;  // false when the text vanished under a guarded scan
};

// Reads `count` values from the data text into samples[1..count]. A long
// text is split at a line start: this thread reads the first part, a
// second thread the rest into its own buffer, and the parts are joined. The
// result is the same as reading it in one go: any surprise in either part
// (a quote, a value out of range, too few values) makes this thread read it
// all again, so the error says exactly where.
DataRead readData(std::string_view text, size_t dataStart, long line,
                  std::vector<float> &samples, int32_t count, const ReadProgress &progress)
{
    const char *const begin = text.data() + dataStart;
    const char *const end = text.data() + text.size();
    // Room for every value, taken by the system only as it is written.
    samples.reserve(static_cast<size_t>(count) + 1);
    samples.assign(1, 0.0f);
    DataRead result;
    const auto whole = [&] {
        samples.resize(1);
        result.scan = {};
        result.scan.p = begin;
        result.scan.line = line;
        result.complete = scanGrowing<true>(result.scan, text, samples, count, progress, count);
    };
    if (static_cast<size_t>(end - begin) < splitBytes || count < 2 || !helperThreadAllowed()) {
        whole();
        return result;
    }

    const char *middle = secondPartStart(begin, end);
    SampleScan second;
    second.p = middle;
    // Every value takes at least one byte; the buffer's pages are taken
    // only as values are written.
    const auto secondRoom = static_cast<int32_t>(std::min<size_t>(count, end - middle));
    std::unique_ptr<float[]> secondValues;
    bool secondComplete = true;
    std::thread helper;
    try {
        secondValues = std::make_unique_for_overwrite<float[]>(secondRoom);
        helper = std::thread([&] {
            auto scan = [&] {
                scanSamples<false>(second, end, secondValues.get(), secondRoom, nullptr, count);
            };
            secondComplete = guarded(text.data(), end, scan);
        });
    } catch (const std::exception &) {
        whole();
        return result;
    }
    struct Join {
        std::thread &thread;
        ~Join()
        {
            if (thread.joinable())
                thread.join();
        }
    } join{helper};
    SampleScan first;
    first.p = begin;
    const bool firstComplete =
        scanGrowing<false>(first, std::string_view(text.data(), middle - text.data()), samples,
                           count, progress, count);
    helper.join();

    const int32_t fromSecond = count - first.stored;
    const bool joined = firstComplete && secondComplete &&
                        (first.stop == ScanStop::Count ||
                         (first.stop == ScanStop::End && second.stored >= fromSecond));
    if (!joined) {
        whole();
        return result;
    }
    samples.resize(static_cast<size_t>(count) + 1);
    float sum = first.sum;
    for (int32_t i = 0; i < fromSecond; ++i) {
        samples[first.stored + 1 + i] = secondValues[i];
        sum = sum + secondValues[i];
    }
    result.scan.stop = ScanStop::Count;
    result.scan.stored = count;
    result.scan.sum = sum;
    return result;
}

const char shortenedReason[] =
    "could not be read to its end: it was shortened, or a read failed, while it was read";

// The record of a text whose header has been read.
ReadResult readRecord(Header &&header, std::string_view text, const std::string &fileName,
                      const ReadProgress &progress)
{
    if (auto error = checkHeader(header, text.size() - header.dataStart, fileName))
        return std::move(*error);

    PsnRecord record;
    record.sampleCount = header.sampleCount;
    record.sampleRate = header.sampleRate;
    record.stationCode = std::move(header.stationCode);
    record.componentName = std::move(header.componentName);
    const DataRead data = readData(text, header.dataStart, header.dataLine, record.samples,
                                   header.sampleCount, progress);
    if (!data.complete)
        return LoadError{fileName, 0, shortenedReason};
    const SampleScan &scan = data.scan;
    if (scan.stop == ScanStop::End)
        return LoadError{fileName, scan.line,
                         "the file ends after " + std::to_string(scan.stored) + " of " +
                             std::to_string(header.sampleCount) + " samples" +
                             (scan.openQuote > 0 ? "; the quote opened on line " +
                                                       std::to_string(scan.openQuote) +
                                                       " is never closed"
                                                 : "")};
    if (scan.stop == ScanStop::Range)
        return LoadError{fileName, scan.fieldLine,
                         "sample " + std::to_string(scan.stored + 1) +
                             " is beyond the 32-bit float range"};
    record.sum = scan.sum;
    return record;
}

} // namespace

TwoPartReadFrom::TwoPartReadFrom(size_t bytes) : previous_(splitBytes)
{
    splitBytes = bytes;
}

TwoPartReadFrom::~TwoPartReadFrom()
{
    splitBytes = previous_;
}

ReadResult parsePsn(std::string_view text, const std::string &fileName,
                    const ReadProgress &progress)
{
    auto read = readHeader(text, fileName);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    return readRecord(std::get<Header>(std::move(read)), text, fileName, progress);
}

namespace {

struct Descriptor {
    int fd;
    explicit Descriptor(int opened) : fd(opened) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { if (fd >= 0) ::close(fd); }
};

struct Mapping {
    void *address = MAP_FAILED;
    size_t size = 0;
    Mapping(int fd, size_t bytes) : size(bytes)
    {
        if (bytes > 0)
            address = ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    Mapping(const Mapping &) = delete;
    Mapping &operator=(const Mapping &) = delete;
    ~Mapping() { if (address != MAP_FAILED) ::munmap(address, size); }
};

const char *kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "something else";
}

// Installed memory in bytes; 0 when it cannot be told.
uint64_t physicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
}

std::string systemReason(int error)
{
    return std::generic_category().message(error);
}

} // namespace

ReadResult readPsnFile(const std::string &path, const ReadProgress &progress)
{
    // Non-blocking, so that opening a named pipe without a writer returns at
    // once and it can be refused below.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0)
        return LoadError{path, 0, "cannot be opened: " + systemReason(errno)};
    struct stat status {};
    if (::fstat(file.fd, &status) != 0)
        return LoadError{path, 0, "cannot be examined: " + systemReason(errno)};
    if (!S_ISREG(status.st_mode))
        return LoadError{path, 0,
                         std::string("is ") + kindOf(status.st_mode) + ", not a regular file"};
    const size_t size = static_cast<size_t>(status.st_size);

    // A text event file is some 14 bytes per sample and its record takes 8
    // bytes per sample in memory. A file larger than a quarter of the
    // memory (a sparse file of many gigabytes, say) is no record this
    // computer can work with, and scanning its holes would take minutes: it
    // is refused before anything is read.
    const uint64_t memory = physicalMemory();
    if (memory > 0 && static_cast<uint64_t>(size) > memory / 4)
        return LoadError{path, 0,
                         "is " + std::to_string(size) +
                             " bytes long, more than a quarter of this computer's memory (" +
                             std::to_string(memory) + " bytes): too large to read"};

    // The file is mapped, not copied: a long record then costs no second
    // copy of its text, and nothing is read past the samples asked for.
    Mapping mapping(file.fd, size);
    if (size > 0 && mapping.address == MAP_FAILED)
        return LoadError{path, 0, errno == ENOMEM ? std::string("the record does not fit in memory")
                                                  : "cannot be read: " + systemReason(errno)};
    ::madvise(mapping.address, size, MADV_SEQUENTIAL);
    const auto *begin = static_cast<const char *>(mapping.address);
    const std::string_view text(size > 0 ? begin : "", size);

    // The header is copied out of the mapping first, in pieces of growing
    // size, so that its texts are made from memory that cannot vanish.
    std::string headerCopy;
    std::variant<Header, LoadError> read = LoadError{};
    for (size_t piece = std::min<size_t>(size, 1 << 16);; piece = std::min(size, 4 * piece)) {
        headerCopy.resize(piece);
        auto copy = [&] { std::memcpy(headerCopy.data(), text.data(), piece); };
        if (!guarded(text.data(), text.data() + size, copy))
            return LoadError{path, 0, shortenedReason};
        read = readHeader(headerCopy, path);
        const auto *header = std::get_if<Header>(&read);
        if (piece == size || (header && header->dataStart < piece))
            break;
    }
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    return readRecord(std::get<Header>(std::move(read)), text, path, progress);
}
