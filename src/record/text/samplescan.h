#pragma once

#include "record/text/numbers.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Why a scan stopped.
enum class ScanStop : uint8_t {
    More,    // the piece is used up; the next piece continues the scan
    Count,   // all the values asked for are stored
    End,     // the data ended first
    Range,   // a value lies beyond the 32-bit float range
    Quote,   // a part scan met a quote (see SampleScan::part)
};

// Reads sample values as a stream of fields from the data section, which
// may come in pieces of any size. Blanks, tabs and line ends before a field
// are skipped; a field ends at a comma, a blank, a tab or a line end, and the
// blanks and one comma after it belong to it. A field is read as a number
// from its start and is 0 when it is none. A field that opens with a double
// quote runs to the closing quote, over line ends too, and its number starts
// after the blanks inside it. Lines are counted as they pass: CR LF, CR and
// LF each end one.
class SampleScan {
public:
    long line = 0;          // line being read
    long fieldLine = 0;     // line on which the field last begun starts
    long openQuote = 0;     // line of a quote still open at the end of the data
    char lastByte = 0;      // the last byte of the pieces read so far
    ScanStop stop = ScanStop::More;
    // A part scan starts at an arbitrary line start of the data, which could
    // lie inside a quoted field: it stops at a quote instead of reading it.
    bool part = false;
    // Past the values a record holds, fields are only counted, into
    // `counted`: none is converted or stored, and none is out of range.
    bool countOnly = false;
    int64_t counted = 0;

    // Continues over [p, end), appending values to `out` until it holds
    // `upTo` of them (or counting them to the end with countOnly); `last`
    // when nothing follows the piece. Returns where it stopped.
    const char *scan(const char *p, const char *end, bool last, std::vector<float> &out,
                     size_t upTo);

    // Between two fields, where the values of a part scan that started here
    // can be taken over.
    bool betweenFields() const { return phase_ == Phase::Between; }

    // Takes over a part scan's run of `lines` line ends up to a line start,
    // the byte before which was `before`.
    void skipLines(long lines, char before)
    {
        line += lines;
        lastByte = before;
        afterCr_ = before == '\r';
    }

private:
    // A field: Lead (blanks inside a quote), Number, then Rest and After, or
    // QuoteRest up to the closing quote and then Rest and After.
    enum class Phase : uint8_t { Between, Lead, Number, Rest, After, QuoteRest };

    const char *skipSpace(const char *p, const char *end);
    const char *skipQuoted(const char *p, const char *end);
    bool quickValue(const char *&p, const char *end, std::vector<float> &out);
    bool store(std::vector<float> &out);

    Phase phase_ = Phase::Between;
    bool quoted_ = false;    // the field opened with a quote
    bool afterCr_ = false;   // the last byte read was a CR: an LF next ends no further line
    NumberReader number_;
};
