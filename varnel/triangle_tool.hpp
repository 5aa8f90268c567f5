// Choice 1 of the main menu: asks for a side length, draws the triangle and
// turns it a quarter turn per command.
#pragma once

#include <cstdint>

#include "console.hpp"
#include "figure.hpp"

namespace varnel {

// The drawing for a rotation counter: each 'l' (+1) turns the figure a
// quarter turn counter-clockwise, each 'r' (-1) clockwise.
Orientation orientation_for(std::int32_t command_result) noexcept;

class TriangleTool {
public:
    explicit TriangleTool(Console& console) noexcept : console_(console) {}

    // Runs until the user types 'x', or until the dialogue must stop.
    Flow run();

private:
    // The command loop for one side length.
    Flow take_commands();

    Console& console_;
    std::int32_t menu_1_power = 0;
    std::int32_t menu_1_length = 0;
    std::int32_t menu_1_power_triangle_turn = 0;
    // Zero when the program starts, and set back to zero whenever a new side
    // length is asked for.
    std::int32_t menu_1_command_result = 0;
    char menu_1_ctrl_command = 0;
};

}  // namespace varnel
