#include "record/text/numbers.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

long long NumberReader::scale() const
{
    return (exponentNegative_ ? -exponent_ : exponent_) - fractionDigits_;
}

long long NumberReader::magnitude() const
{
    return intDigits_ - zeros_ - 1 + (exponentNegative_ ? -exponent_ : exponent_);
}

// The kept digits, a 1 standing for any non-zero dropped ones, and the
// exponent of the last digit written: the same value, or one that rounds
// the same way, since 800 digits settle every tie of a double.
int NumberReader::decimalText(char *out) const
{
    char mantissa[24];
    const int head = std::snprintf(mantissa, sizeof mantissa, "%llu",
                                   static_cast<unsigned long long>(mantissa_));
    int n = head;
    std::memcpy(out, mantissa, static_cast<size_t>(head));
    const long long kept = significant_ < keptDigits ? significant_ : keptDigits;
    if (kept > 19) {
        std::memcpy(out + n, more_, static_cast<size_t>(kept - 19));
        n += static_cast<int>(kept - 19);
    }
    if (sticky_)
        out[n++] = '1';
    n += std::snprintf(out + n, 32, "e%lld", magnitude() - (n - 1));
    return n;
}

namespace {

// The general conversion of a decimal text whose first non-zero digit
// stands at 10^magnitude: false when that is too large for T; too small
// for T gives 0.
template <class T>
bool fromDecimalText(const char *text, int length, long long magnitude, T &value)
{
    if (std::from_chars(text, text + length, value).ec != std::errc::result_out_of_range)
        return true;
    value = 0;
    return magnitude < 0;
}

} // namespace

bool NumberReader::toDouble(double &result) const
{
    double value = 0;
    char text[keptDigits + 40];
    if (significant_ != 0 && !(significant_ <= 19 && exactDecimal(mantissa_, scale(), value)) &&
        !fromDecimalText(text, decimalText(text), magnitude(), value))
        return false;
    result = negative_ && hasDigits() ? -value : value;
    return true;
}

bool NumberReader::toFloat(float &result) const
{
    float value = 0;
    char text[keptDigits + 40];
    if (significant_ != 0 && !(significant_ <= 19 && quickFloat(mantissa_, scale(), value)) &&
        !fromDecimalText(text, decimalText(text), magnitude(), value))
        return false;
    if (std::isinf(value))
        return false;
    result = negative_ && hasDigits() ? -value : value;
    return true;
}

namespace {

// Round to the nearest integer, ties to the even neighbour.
double roundHalfEven(double value)
{
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        whole += 1;
    return whole;
}

} // namespace

bool readHeaderNumber(std::string_view value, int32_t &result)
{
    NumberReader number;
    number.reset();
    const char *p = value.data(), *end = p + value.size();
    while (p != end && !number.done()) {
        if (isBlank(*p)) {
            ++p;
            continue;
        }
        const char *run = p;
        while (p != end && !isBlank(*p))
            ++p;
        // The number may stop inside the run; whatever follows it is not read.
        number.read(run, p);
    }
    number.finish();
    double read = 0;
    if (!number.toDouble(read))
        return false;
    const double rounded = roundHalfEven(read);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return false;
    result = static_cast<int32_t>(rounded);
    return true;
}
