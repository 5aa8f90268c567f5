// The hollow right triangle, drawn from full-width cells in four
// orientations. A drawing can be hundreds of megabytes, so it is composed
// straight into the console's fixed buffer and copied in runs of cells.
#pragma once

#include <cstdint>
#include <string_view>

#include "console.hpp"

namespace varnel {

// The three cells are equally wide on the terminal, so blanks before and
// inside the outline line up with the filled cells.
inline constexpr std::string_view APEX = "△";
inline constexpr std::string_view EDGE = "▲";
inline constexpr std::string_view BLANK = "　";

// The clockwise turn from the unturned figure.
enum class Orientation { degrees_0, degrees_90, degrees_180, degrees_270 };

// Prints the label line and the figure for a side of `side` cells (1 or more).
// Stops early, with Flow::stop, once output is lost.
Flow draw_triangle(Console& console, std::int32_t side, Orientation orientation);

}  // namespace varnel
