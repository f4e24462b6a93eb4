#include "record/text/samplescan.h"

#include <cstring>

namespace {

bool endsField(char c) { return c == ',' || isBlank(c) || isLineEnd(c); }

} // namespace

const char *SampleScan::skipSpace(const char *p, const char *end)
{
    for (; p != end; ++p) {
        const char c = *p;
        if (c == '\n') {
            line += !afterCr_;
            afterCr_ = false;
        } else if (c == '\r') {
            ++line;
            afterCr_ = true;
        } else if (isBlank(c)) {
            afterCr_ = false;
        } else {
            break;
        }
    }
    return p;
}

// Up to the closing quote, counting the line ends inside.
const char *SampleScan::skipQuoted(const char *p, const char *end)
{
    for (; p != end && *p != '"'; ++p) {
        if (*p == '\n') {
            line += !afterCr_;
            afterCr_ = false;
        } else {
            line += *p == '\r';
            afterCr_ = *p == '\r';
        }
    }
    return p;
}

// The usual field: a plain number of up to 19 digits with a short exponent
// that ends inside the piece, read in one go and converted when quickFloat
// can. False leaves the field untouched to the reader that can stop and
// resume anywhere and converts every text; both give the nearest float.
bool SampleScan::quickValue(const char *&p, const char *end, std::vector<float> &out)
{
    const char *q = p;
    // Signs come in any order: no branch on them.
    const bool negative = *q == '-';
    q += negative | (*q == '+');
    uint64_t mantissa = 0;
    int digits = 0, fraction = 0;
    for (; q != end && isDigit(*q); ++q, ++digits)
        mantissa = mantissa * 10 + static_cast<uint64_t>(*q - '0');
    if (q != end && *q == '.') {
        for (++q; q != end && isDigit(*q); ++q, ++digits, ++fraction)
            mantissa = mantissa * 10 + static_cast<uint64_t>(*q - '0');
    }
    if (digits == 0 || digits > 19)
        return false;
    int exponent = 0;
    if (q != end && (*q == 'e' || *q == 'E')) {
        const char *e = q + 1;
        const bool down = e != end && *e == '-';
        if (e != end && (*e == '+' || *e == '-'))
            ++e;
        if (e != end && isDigit(*e)) {
            for (int n = 0; e != end && isDigit(*e); ++e, ++n) {
                if (n == 4)
                    return false;
                exponent = exponent * 10 + (*e - '0');
            }
            exponent = down ? -exponent : exponent;
            q = e;
        } else if (e == end) {
            return false;   // exponent digits may follow in the next piece
        }
    }
    float value = 0;
    if (q == end || !quickFloat(mantissa, exponent - fraction, value))
        return false;
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits |= static_cast<uint32_t>(negative) << 31;
    std::memcpy(&value, &bits, sizeof bits);
    out.push_back(value);
    p = q;
    return true;
}

bool SampleScan::store(std::vector<float> &out)
{
    float value = 0;
    if (!number_.toFloat(value))
        return false;
    out.push_back(value);
    return true;
}

const char *SampleScan::scan(const char *p, const char *end, bool last, std::vector<float> &out,
                             size_t upTo)
{
    if (p != end)
        lastByte = end[-1];
    // Each phase that runs out of input returns, unless nothing follows.
    const auto more = [&] { return p == end && !last; };
    stop = ScanStop::More;
    while (out.size() < upTo) {
        switch (phase_) {
        case Phase::Between:
            p = skipSpace(p, end);
            if (p == end) {
                if (last)
                    stop = ScanStop::End;
                return p;
            }
            fieldLine = line;
            afterCr_ = false;
            number_.reset();
            quoted_ = *p == '"';
            if (quoted_) {
                if (part) {
                    stop = ScanStop::Quote;
                    return p;
                }
                ++p;
            }
            phase_ = Phase::Lead;
            [[fallthrough]];
        case Phase::Lead:
            // Blanks inside a quote; outside one they are already skipped.
            while (p != end && isBlank(*p))
                ++p;
            if (more())
                return p;
            if (p != end && !countOnly && quickValue(p, end, out)) {
                phase_ = quoted_ ? Phase::QuoteRest : Phase::Rest;
                break;
            }
            phase_ = Phase::Number;
            [[fallthrough]];
        case Phase::Number:
            p = number_.read(p, end);
            if (more())
                return p;
            if (countOnly) {
                ++counted;
            } else if (!store(out)) {
                stop = ScanStop::Range;
                return p;
            }
            // The count is checked before the rest of the field is read:
            // nothing after the last value asked for is.
            phase_ = quoted_ ? Phase::QuoteRest : Phase::Rest;
            break;
        case Phase::Rest:
            while (p != end && !endsField(*p))
                ++p;
            if (more())
                return p;
            phase_ = Phase::After;
            [[fallthrough]];
        case Phase::After:
            while (p != end && isBlank(*p))
                ++p;
            if (more())
                return p;
            if (p != end && *p == ',')
                ++p;
            phase_ = Phase::Between;
            break;
        case Phase::QuoteRest:
            p = skipQuoted(p, end);
            if (more())
                return p;
            if (p == end) {
                openQuote = fieldLine;
                phase_ = Phase::Between;
                break;
            }
            ++p;
            afterCr_ = false;
            phase_ = Phase::Rest;
            break;
        }
    }
    stop = ScanStop::Count;
    return p;
}
