// Choice 3 of the main menu: + - * / and remainder of two non-zero numbers.
#pragma once

#include <cstdint>
#include <optional>

#include "console.hpp"

namespace varnel {

// The remainder of the 32-bit whole parts of two operands, or nothing when a
// whole part does not fit 32 bits or the divisor's whole part is 0.
std::optional<float> remainder_of_whole_parts(float dividend, float divisor) noexcept;

class Calculator {
public:
    // Stands in the choice until a number is read: no typed choice means it.
    static constexpr std::int32_t menu_3_select_preset = -930225;

    explicit Calculator(Console& console) noexcept : console_(console) {}

    // Runs until the user chooses 0 or answers 'n', or until the dialogue must
    // stop.
    Flow run();

private:
    // Runs operation 1 to 5 of the sub-menu once.
    Flow run_operation();

    Console& console_;
    std::int32_t menu_3_power = 0;
    std::int32_t menu_3_select = menu_3_select_preset;
    // Whether this pass ends with the continue question.
    std::int32_t menu_3_ask_continue = 0;
    float A = 0.0F;  // NOLINT(readability-identifier-naming): the operands are A and B
    float B = 0.0F;  // NOLINT(readability-identifier-naming)
    float result = 0.0F;
    char menu_3_continue = 0;
};

}  // namespace varnel
