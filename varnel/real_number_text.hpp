// Real numbers to and from decimal text, exactly, without the C or C++
// library's conversions: their locale machinery would be most of a small
// program, and some C++ libraries have no floating-point to_chars.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varnel {

// Room for the longest fixed text of a float: a sign, 39 digits, the
// point and six decimals.
constexpr std::size_t fixed_text_size = 48;

// Writes `value` with six decimals, as "%f" does in the "C" locale: its
// exact value rounded to the nearest, ties to even; "inf", "-inf", "nan"
// or "-nan" for the values that are no number. `text` has room for
// fixed_text_size bytes; answers the end of what was written.
char* write_fixed(char* text, float value) noexcept;

// The float nearest to 0.<digits> times ten to `point`, ties to even.
// `digits` are '0' to '9', at most max_significant_digits of them, the
// first not '0'. False when that is beyond the largest float; a value too
// small for the smallest rounds to zero.
constexpr std::size_t max_significant_digits = 128;
bool nearest_float(std::string_view digits, std::int64_t point, float& value) noexcept;

}  // namespace varnel
