#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

// The progress line's text after `seconds` with `done` of `total` files
// finished and `samples` samples analysed in them:
// "12 of 500 files, 3.4 M samples/s, 1:22 left". The rate and the time left
// (from the time per file so far, rounded up to the second) appear once a
// file is done. `things` names what is counted in place of "files".
std::string progressText(size_t done, size_t total, int64_t samples, double seconds,
                         std::string_view things = "files");

// One line on a terminal, rewritten in place. Draws nothing unless
// `enabled`, and nothing before `after` has passed since it was made.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream &terminal, bool enabled, size_t total, Clock::duration after,
                 std::string things = "files");

    // Draws the line when it is due: when it is not on screen, or a tenth of
    // a second after it was last drawn.
    void show(size_t done, int64_t samples);

    // Erases the line if it is on screen, before something else is written.
    void clear();

private:
    std::ostream &terminal_;
    bool enabled_;
    size_t total_;
    Clock::time_point start_, firstShown_, lastDrawn_;
    bool onScreen_ = false;
    std::string things_;
};
