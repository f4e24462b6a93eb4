#pragma once

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string_view>

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// mantissa * 10^scale when one correctly rounded operation gives it: a
// mantissa below 2^53 and a power of ten up to 10^22 are exact doubles.
inline bool exactDecimal(uint64_t mantissa, long long scale, double &value)
{
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (mantissa > (uint64_t{1} << 53) || scale < -22 || scale > 22)
        return false;
    const auto exact = static_cast<double>(mantissa);
    value = scale < 0 ? exact / powers[-scale] : exact * powers[scale];
    return true;
}

// The float nearest to mantissa * 10^scale, when the exact double rounded
// again gives it: unless that double lies exactly on the midpoint between
// two floats (the decimal may lie on either side of it) or in the subnormal
// range, which are left to the general conversion. This covers the usual
// texts and is much faster.
inline bool quickFloat(uint64_t mantissa, long long scale, float &result)
{
    double value = 0;
    if (!exactDecimal(mantissa, scale, value) || (value != 0 && value < FLT_MIN))
        return false;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    constexpr uint64_t belowFloat = (uint64_t{1} << 29) - 1;   // double bits a float drops
    if ((bits & belowFloat) == (uint64_t{1} << 28))
        return false;
    result = static_cast<float>(value);
    return true;
}

// Reads a decimal number as it arrives, in as many pieces as the input
// comes in: an optional sign, digits, an optional '.' with digits and an
// optional exponent (E or e, an optional sign, digits), always with '.' as
// the decimal point. Reading stops at the first character that cannot
// continue the number; without a digit there is no number. "inf" and "nan"
// are not numbers here. However long the text, it keeps only what decides
// the value: the first 800 significant digits and whether any other is not 0.
class NumberReader {
public:
    // Starts a new number.
    void reset()
    {
        step_ = Step::Sign;
        negative_ = exponentNegative_ = sticky_ = false;
        mantissa_ = 0;
        significant_ = zeros_ = intDigits_ = fractionDigits_ = exponent_ = 0;
    }

    // Reads from [p, end) and returns where it stopped: at end, or at the
    // character that ended the number (done() is then true).
    const char *read(const char *p, const char *end);

    // Nothing more follows: the number ends where it stands.
    void finish() { step_ = Step::Done; }
    bool done() const { return step_ == Step::Done; }

    // The number rounded once, from its decimal value, to the nearest
    // 32-bit float or double; 0 without a digit. False when it lies beyond
    // that range (a value too small for it is 0).
    bool toFloat(float &result) const;
    bool toDouble(double &result) const;

private:
    enum class Step : uint8_t { Sign, Integer, Fraction, ExponentMark, ExponentFirst, Exponent, Done };
    static constexpr int keptDigits = 800;

    void addDigit(char c)
    {
        const int digit = c - '0';
        if (significant_ == 0 && digit == 0) {
            ++zeros_;
        } else if (++significant_ <= 19) {
            mantissa_ = mantissa_ * 10 + static_cast<uint64_t>(digit);
        } else if (significant_ <= keptDigits) {
            more_[significant_ - 20] = static_cast<char>(c);
        } else if (digit != 0) {
            sticky_ = true;
        }
    }
    bool hasDigits() const { return intDigits_ + fractionDigits_ > 0; }
    long long scale() const;       // value = mantissa * 10^scale while significant <= 19
    long long magnitude() const;   // decimal exponent of the first non-zero digit
    // The digits as a text std::from_chars reads to the same rounding.
    int decimalText(char *out) const;

    Step step_ = Step::Sign;
    bool negative_ = false, exponentNegative_ = false;
    bool sticky_ = false;          // a dropped digit beyond the kept ones is not 0
    uint64_t mantissa_ = 0;        // the first 19 significant digits
    long long significant_ = 0;    // digits from the first non-zero one on
    long long zeros_ = 0;          // zeros before the first non-zero digit
    long long intDigits_ = 0, fractionDigits_ = 0;
    long long exponent_ = 0;       // magnitude of the exponent, held below 10^13
    char more_[keptDigits - 19];   // significant digits 20 to 800
};

inline const char *NumberReader::read(const char *p, const char *end)
{
    switch (step_) {
    case Step::Sign:
        if (p == end)
            return p;
        if (*p == '+' || *p == '-') {
            negative_ = *p == '-';
            ++p;
        }
        step_ = Step::Integer;
        [[fallthrough]];
    case Step::Integer:
        for (; p != end && isDigit(*p); ++p, ++intDigits_)
            addDigit(*p);
        if (p == end)
            return p;
        if (*p == '.') {
            ++p;
            step_ = Step::Fraction;
        } else {
            step_ = Step::Fraction;   // no point: an exponent may still follow
            goto exponent;
        }
        [[fallthrough]];
    case Step::Fraction:
        for (; p != end && isDigit(*p); ++p, ++fractionDigits_)
            addDigit(*p);
        if (p == end)
            return p;
    exponent:
        if (!hasDigits() || (*p != 'E' && *p != 'e')) {
            step_ = Step::Done;
            return p;
        }
        ++p;
        step_ = Step::ExponentMark;
        [[fallthrough]];
    case Step::ExponentMark:
        if (p == end)
            return p;
        if (*p == '+' || *p == '-') {
            exponentNegative_ = *p == '-';
            ++p;
        }
        step_ = Step::ExponentFirst;
        [[fallthrough]];
    case Step::ExponentFirst:
        // "2E" or "2E+" without a digit has no exponent; the letters are
        // part of what follows the number.
        if (p == end)
            return p;
        if (!isDigit(*p)) {
            step_ = Step::Done;
            return p;
        }
        step_ = Step::Exponent;
        [[fallthrough]];
    case Step::Exponent:
        for (; p != end && isDigit(*p); ++p)
            if (exponent_ < 1'000'000'000'000LL)
                exponent_ = exponent_ * 10 + (*p - '0');
        if (p != end)
            step_ = Step::Done;
        return p;
    case Step::Done:
        break;
    }
    return p;
}

// Reads a header number: blanks and tabs anywhere are skipped, then a number
// as NumberReader reads it; reading stops at the first other character and
// an empty value gives 0. The result is the nearest integer, ties to even.
// Returns false when it does not fit a 32-bit signed integer.
bool readHeaderNumber(std::string_view value, int32_t &result);
