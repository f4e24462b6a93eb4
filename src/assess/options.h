#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

// The choices of an assessment, each with the one word the report's options
// and the window's lists use for it. Every enumeration runs 0, 1, 2, ... in
// the order of its words.
enum class Standard { Din4150_3, Din4150_2 };              // din4150-3, din4150-2
enum class Building { Commercial, Dwelling, Sensitive };   // DIN 4150-3 lines 1, 2, 3
enum class Place { Foundation, TopFloor, Slab, LongTerm }; // foundation, top-floor, slab, long-term
enum class FrequencyMethod { Stricter, ZeroCrossing, Spectrum };
enum class Area { Industrial, Commercial, Mixed, Residential, Special };
enum class Period { Day, Night };
// "met", "exceeded", "no guideline", "undetermined" (DIN 4150-2 only: the
// peak lies between A_u and A_o and the record holds no whole 30 s cycle).
enum class Verdict { Met, Exceeded, NoGuideline, Undetermined };

std::span<const std::string_view> optionNames(Standard);
std::span<const std::string_view> optionNames(Building);
std::span<const std::string_view> optionNames(Place);
std::span<const std::string_view> optionNames(FrequencyMethod);
std::span<const std::string_view> optionNames(Area);
std::span<const std::string_view> optionNames(Period);
std::span<const std::string_view> optionNames(Verdict);

template <class E>
std::string_view optionName(E value)
{
    return optionNames(E{})[static_cast<std::size_t>(value)];
}

// The value a word names, exactly as written (lower case); none for any
// other text.
template <class E>
std::optional<E> parseOption(std::string_view text)
{
    const std::span<const std::string_view> names = optionNames(E{});
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == text)
            return static_cast<E>(i);
    return std::nullopt;
}

// What every printed assessment says about itself.
inline constexpr std::string_view screeningNotice =
    "Screening assessment by software: DIN 45669-1 also sets requirements for the "
    "measuring instrument, which no program can check.";

// An assessment that cannot be made, with the reason in plain words (no
// samples, values that are not numbers, a rate too low for the filters).
class AssessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
