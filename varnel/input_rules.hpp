// How every dialogue reads what the user types, and the continue question.
//
// Each read takes its value and discards the rest of the typed line; the
// console puts every pending message on the terminal before it waits. A value that cannot be read
// leaves the variable's preset in place; the caller tells that case by the
// preset. Every read returns Flow::stop when the input ends before a value
// could be taken, or when output is lost.
#pragma once

#include <cstdint>

#include "console.hpp"

namespace varnel {

// A decimal whole number with optional sign. One outside 32 bits counts as
// not a number.
Flow read_whole(Console& console, std::int32_t& variable);

// A decimal real number (sign, digits, point, exponent), correctly rounded to
// single precision. One too large for single precision counts as not a number.
Flow read_real(Console& console, float& variable);

// Two real numbers in one read, on one line or on two. When the first cannot
// be read the second is not tried.
Flow read_two_reals(Console& console, float& first, float& second);

// The very next typed byte, white space included. An empty line yields '\n'
// and nothing more is discarded.
Flow read_character(Console& console, char& variable);

enum class Asked { once, every_time };

// "Go on?" after one run of a tool: 'y' runs it again, 'n' clears the tool's
// power flag so that it returns to the main menu.
Flow ask_to_continue(Console& console, char& answer, std::int32_t& tool_power, Asked form);

}  // namespace varnel
