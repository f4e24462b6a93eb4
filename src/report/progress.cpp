#include "report/progress.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <utility>

namespace {

// `value` with `decimals` decimals and '.', whatever the process locale.
std::string fixedText(double value, int decimals)
{
    char text[400];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
}

std::string rateText(double perSecond)
{
    if (perSecond >= 1e6)
        return fixedText(perSecond / 1e6, 1) + " M";
    if (perSecond >= 1e3)
        return fixedText(perSecond / 1e3, 0) + " k";
    return fixedText(perSecond, 0);
}

// "0:42", "12:05", "1:02:03".
std::string durationText(double seconds)
{
    const long long whole = static_cast<long long>(std::ceil(seconds));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

// Returns the cursor to the line's start; clears the rest of the line.
const char lineStart[] = "\r";
const char eraseToEnd[] = "\x1b[K";

} // namespace

std::string progressText(size_t done, size_t total, int64_t samples, double seconds, std::string_view things)
{
    std::string text = std::to_string(done) + " of " + std::to_string(total) + " " + std::string(things);
    if (done == 0 || seconds <= 0)
        return text;
    text += ", " + rateText(static_cast<double>(samples) / seconds) + " samples/s";
    text += ", " + durationText(seconds / static_cast<double>(done) * static_cast<double>(total - done)) +
            " left";
    return text;
}

ProgressLine::ProgressLine(std::ostream &terminal, bool enabled, size_t total, Clock::duration after,
                           std::string things)
    : terminal_(terminal), enabled_(enabled), total_(total), start_(Clock::now()),
      firstShown_(start_ + after), lastDrawn_(start_), things_(std::move(things))
{
}

void ProgressLine::show(size_t done, int64_t samples)
{
    const Clock::time_point now = Clock::now();
    if (!enabled_ || now < firstShown_ || (onScreen_ && now - lastDrawn_ < std::chrono::milliseconds(100)))
        return;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::string line = lineStart;
    line += progressText(done, total_, samples, seconds, things_);
    line += eraseToEnd;
    terminal_ << line << std::flush;
    lastDrawn_ = now;
    onScreen_ = true;
}

void ProgressLine::clear()
{
    if (!onScreen_)
        return;
    terminal_ << std::string(lineStart) + eraseToEnd << std::flush;
    onScreen_ = false;
}
