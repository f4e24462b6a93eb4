#include "report/escape.h"

#include <gtest/gtest.h>

TEST(Escape, JsonStringsAreUtf8WhateverTheBytes)
{
    const std::string bad = "\"\uFFFD";
    const std::pair<std::string, std::string> cases[] = {
        {"a\"b\\c\x01\x1f\x7f", "\"a\\\"b\\\\c\\u0001\\u001f\x7f\""},
        {"\u00e9\u20ac\U0001D11E", "\"\u00e9\u20ac\U0001D11E\""},   // two, three and four bytes
        {"\xC0\x80", bad + "\uFFFD\""},                              // overlong NUL
        {"\xE0\x9F\xBF", bad + "\uFFFD\uFFFD\""},                    // overlong three bytes
        {"\xED\xA0\x80", bad + "\uFFFD\uFFFD\""},                    // a surrogate
        {"\xF4\x90\x80\x80", bad + "\uFFFD\uFFFD\uFFFD\""},          // past U+10FFFF
        {"\xE2\x82", bad + "\uFFFD\""},                              // cut short
        {"\x80x", bad + "x\""},                                      // stray continuation
    };
    for (const auto &[text, json] : cases)
        EXPECT_EQ(jsonString(text), json);
}

TEST(Escape, JsonNumbersFromNumberTexts)
{
    const std::pair<const char *, const char *> cases[] = {
        {" 3000", "3000"}, {"0", "0"}, {"12.", "12"}, {"816496.58", "816496.58"},
        {"-0.5", "-0.5"}, {"inf", "null"}, {"", "null"}, {".", "null"}, {"1.2.3", "null"},
    };
    for (const auto &[text, json] : cases)
        EXPECT_EQ(jsonNumber(text), json) << text;
}
