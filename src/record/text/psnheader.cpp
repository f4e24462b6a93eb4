#include "record/text/psnheader.h"

#include "record/headertext.h"
#include "record/record.h"
#include "record/text/numbers.h"

#include <algorithm>
#include <string_view>

namespace {

// No key is longer: from this many characters on, a line's key is known.
constexpr size_t longestKey = 17;

bool hasKey(std::string_view line, std::string_view key)
{
    return line.substr(0, key.size()) == key;
}

bool carriesValue(std::string_view line)
{
    return hasKey(line, "Number of Samples") || hasKey(line, "SPS:") || hasKey(line, "Station Code:") ||
           hasKey(line, "Component Name:") || hasKey(line, "Units:") || hasKey(line, "Start Time:");
}

// What turns values in `unit` into m/s: nothing for m/s and for counts,
// which a sensitivity turns; false for a unit that is no velocity.
bool unitScale(std::string_view unit, std::optional<ValueScale> &scale)
{
    const auto divided = [&](double by) { return scale = ValueScale{1, by, false}, true; };
    scale.reset();
    if (unit == "m/s" || unit == "counts" || unit == "Counts")
        return true;
    if (unit == "mm/s")
        return divided(1e3);
    // The micro sign, the Greek mu, or the u of plain ASCII.
    if (unit == "\u00B5m/s" || unit == "\u03BCm/s" || unit == "um/s")
        return divided(1e6);
    if (unit == "nm/s")
        return divided(1e9);
    return false;
}

// Of a file that holds no line this reader knows: the formats it reads.
const char notARecord[] = "is not a record Sismavue reads: it reads PSN text event files (a header with "
                          "\"Number of Samples\", \"SPS:\" and \"Data:\" lines, then the values), PSN Type 4 "
                          "event files, SAC files and miniSEED files";

// The line from 1-based character `position` on; empty when the line is shorter.
std::string_view valueFrom(std::string_view line, size_t position)
{
    return position - 1 <= line.size() ? line.substr(position - 1) : std::string_view();
}

// Reads `digits` digits (exactly, or up to that many when `upTo`) as a
// number; false when there are none or too many.
bool readDigits(std::string_view &text, size_t digits, bool upTo, int &value)
{
    size_t n = 0;
    value = 0;
    while (n < text.size() && isDigit(text[n])) {
        if (n == digits)
            return false;
        value = value * 10 + (text[n++] - '0');
    }
    if (n == 0 || (!upTo && n != digits))
        return false;
    if (upTo)
        for (size_t k = n; k < digits; ++k)
            value *= 10;
    text.remove_prefix(n);
    return true;
}

bool skipMark(std::string_view &text, char mark)
{
    if (text.empty() || text.front() != mark)
        return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

std::optional<UtcTime> psnStartTime(std::string_view text)
{
    text = trimmedCode(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, micro = 0;
    if (!readDigits(text, 4, false, year) || !skipMark(text, '/') || !readDigits(text, 2, false, month) ||
        !skipMark(text, '/') || !readDigits(text, 2, false, day) || !skipMark(text, ' ') ||
        !readDigits(text, 2, false, hour) || !skipMark(text, ':') || !readDigits(text, 2, false, minute) ||
        !skipMark(text, ':') || !readDigits(text, 2, false, second))
        return std::nullopt;
    if (skipMark(text, '.') && !readDigits(text, 6, true, micro))
        return std::nullopt;
    if (!text.empty())
        return std::nullopt;
    return utcTime(year, month, day, hour, minute, second, micro);
}

void HeaderReader::append(const char *p, const char *end)
{
    if (current_.size() < longestKey) {
        const size_t take = std::min<size_t>(end - p, longestKey - current_.size());
        current_.append(p, take);
        p += take;
        if (current_.size() < longestKey)
            return;
        keep_ = carriesValue(current_);
    }
    if (keep_)
        current_.append(p, end);
}

void HeaderReader::endLine()
{
    const std::string_view line = current_;
    if (hasKey(line, "Number of Samples")) {
        if (!readHeaderNumber(valueFrom(line, 20), header_.sampleCount))
            error_ = LoadError{fileName_, line_, "\"Number of Samples\" does not fit a 32-bit integer"};
        header_.countLine = line_;
    }
    if (hasKey(line, "SPS:")) {
        if (!readHeaderNumber(valueFrom(line, 6), header_.sampleRate))
            error_ = LoadError{fileName_, line_, "\"SPS:\" does not fit a 32-bit integer"};
        header_.rateLine = line_;
    }
    if (hasKey(line, "Station Code:"))
        header_.stationCode = headerText(valueFrom(line, 15));
    if (hasKey(line, "Component Name:"))
        header_.componentName = headerText(valueFrom(line, 17));
    if (hasKey(line, "Start Time:"))
        header_.startTime = psnStartTime(valueFrom(line, 13));
    if (hasKey(line, "Units:")) {
        // Whatever blanks stand around it: a unit is a word.
        const std::string unit = headerText(trimmedCode(valueFrom(line, 7)));
        if (!unit.empty() && !unitScale(unit, header_.unitScale))
            error_ = LoadError{fileName_, line_, "the values are in \"" + unit + "\", which is no unit Sismavue "
                               "reads: m/s, mm/s, \u00B5m/s (um/s), nm/s or counts"};
        header_.counts = unit == "counts" || unit == "Counts";
    }
    if (hasKey(line, "Data:"))
        dataSeen_ = true;
    keySeen_ = keySeen_ || dataSeen_ || carriesValue(line);
}

const char *HeaderReader::read(const char *p, const char *end, bool last)
{
    while (!done_ && !error_) {
        // CR LF is one line end; so is a CR alone or an LF alone.
        if (pendingCr_ && p != end) {
            pendingCr_ = false;
            if (*p == '\n') {
                header_.lastByte = *p++;
                ++offset_;
            }
        }
        if (dataSeen_ && !pendingCr_) {
            header_.dataStart = offset_;
            done_ = true;
            break;
        }
        if (p == end) {
            if (!last)
                break;
            if (pendingCr_) {
                pendingCr_ = false;
            } else if (inLine_) {
                // A last line without a line end.
                inLine_ = false;
                endLine();
                header_.dataLine = line_;
            } else if (!keySeen_) {
                error_ = LoadError{fileName_, 0, notARecord};
            } else {
                error_ = LoadError{fileName_, line_, "the file ends before a \"Data:\" line"};
            }
            continue;
        }
        if (!inLine_) {
            inLine_ = true;
            ++line_;
            current_.clear();
            keep_ = true;
        }
        const char *stop = p;
        while (stop != end && !isLineEnd(*stop))
            ++stop;
        append(p, stop);
        offset_ += static_cast<uint64_t>(stop - p);
        if (stop != p)
            header_.lastByte = stop[-1];
        p = stop;
        if (p == end)
            continue;
        const char lineEnd = *p++;
        ++offset_;
        header_.lastByte = lineEnd;
        inLine_ = false;
        endLine();
        header_.dataLine = line_ + 1;
        pendingCr_ = lineEnd == '\r';
    }
    return p;
}

std::optional<LoadError> checkHeader(const PsnHeader &header, std::optional<uint64_t> dataBytes,
                                     uint64_t memoryAvailable, const std::string &fileName)
{
    if (header.countLine == 0)
        return LoadError{fileName, 0, "no \"Number of Samples\" line before the \"Data:\" line"};
    if (header.sampleCount < 1)
        return LoadError{fileName, header.countLine,
                         "the number of samples is " + std::to_string(header.sampleCount) +
                             "; it must be at least 1"};
    if (header.rateLine == 0)
        return LoadError{fileName, 0, "no \"SPS:\" line before the \"Data:\" line"};
    if (const auto low = lowRateReason(header.sampleRate))
        return LoadError{fileName, header.rateLine,
                         "a sampling rate of " + std::to_string(header.sampleRate) + " samples per second is " + *low};
    // A damaged header must not allocate gigabytes for values that are not there.
    if (dataBytes && static_cast<uint64_t>(header.sampleCount) > *dataBytes)
        return LoadError{fileName, header.countLine,
                         "the header announces " + std::to_string(header.sampleCount) +
                             " samples but only " + std::to_string(*dataBytes) +
                             " bytes follow the \"Data:\" line"};
    if (const auto memory = arraysReason(header.sampleCount, memoryAvailable))
        return LoadError{fileName, header.countLine,
                         "the header announces " + std::to_string(header.sampleCount) + " samples" + *memory};
    return std::nullopt;
}
