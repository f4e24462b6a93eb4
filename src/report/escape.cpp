#include "report/escape.h"

#include <cstdio>

namespace {

// Length of the well-formed UTF-8 sequence that starts at text[i]; 0 when
// none does (a stray continuation byte, an overlong form, a surrogate, a
// value past U+10FFFF or a sequence cut short).
size_t utf8Length(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;   // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string tsvField(std::string_view text)
{
    std::string field;
    field.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\t': field += "\\t"; break;
        case '\r': field += "\\r"; break;
        case '\n': field += "\\n"; break;
        case '\\': field += "\\\\"; break;
        default: field += c;
        }
    }
    return field;
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"')
            field += '"';
        field += c;
    }
    return field + '"';
}

std::string jsonString(std::string_view text)
{
    std::string json = "\"";
    for (size_t i = 0; i < text.size();) {
        const size_t length = utf8Length(text, i);
        if (length == 0) {
            json += "\uFFFD";
            ++i;
            continue;
        }
        const char c = text[i];
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            json += escaped;
        } else {
            json.append(text.substr(i, length));
        }
        i += length;
    }
    return json + '"';
}

std::string jsonNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.ends_with('.'))
        text.remove_suffix(1);
    // -?digits(.digits)?: all the number texts can hold; "inf" or an empty
    // box would not be JSON.
    size_t i = text.starts_with('-') ? 1 : 0;
    const size_t wholeFrom = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    bool ok = i > wholeFrom;
    if (ok && i < text.size() && text[i] == '.') {
        const size_t fractionFrom = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        ok = i > fractionFrom;
    }
    return ok && i == text.size() ? std::string(text) : "null";
}
