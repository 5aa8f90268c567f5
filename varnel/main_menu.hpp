// The main menu: where the program starts and ends, handing control to one
// tool at a time.
#pragma once

#include <cstdint>

#include "calculator.hpp"
#include "comparison.hpp"
#include "console.hpp"
#include "triangle_tool.hpp"

namespace varnel {

class MainMenu {
public:
    explicit MainMenu(Console& console) noexcept
        : console_(console), triangle_tool_(console), comparison_(console), calculator_(console) {}

    // Runs until the user chooses 0, or until the dialogue must stop.
    Flow run();

private:
    Console& console_;
    TriangleTool triangle_tool_;
    Comparison comparison_;
    Calculator calculator_;
    std::int32_t main_menu_power = 0;
    std::int32_t main_menu_select = -1;
};

// The whole dialogue of one run of the program, on the given streams. The
// dialogue ends on choice 0 or at the end of the input. False when output was
// lost. `terminal` is the terminal the output shows on, if any.
bool run_dialogue(ByteSource& input, ByteSink& output, Terminal terminal = {});

}  // namespace varnel
