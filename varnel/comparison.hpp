// Choice 2 of the main menu: puts three real numbers in ascending order.
#pragma once

#include <cstdint>

#include "console.hpp"

namespace varnel {

class Comparison {
public:
    explicit Comparison(Console& console) noexcept : console_(console) {}

    // Runs until the user answers 'n', or until the dialogue must stop.
    Flow run();

private:
    // Prints the ascending order, or the complaint when there is none.
    void print_order();

    Console& console_;
    std::int32_t menu_2_power = 0;
    float a = 0.0F;
    float b = 0.0F;
    float c = 0.0F;
    char menu_2_continue = 0;
};

}  // namespace varnel
