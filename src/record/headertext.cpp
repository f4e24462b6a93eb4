#include "record/headertext.h"

namespace {

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

} // namespace

std::string headerText(std::string_view bytes)
{
    return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
}
