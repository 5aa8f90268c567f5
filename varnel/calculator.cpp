#include "calculator.hpp"

#include <array>
#include <string_view>

#include "input_rules.hpp"

namespace varnel {

namespace {

struct Operation {
    std::string_view heading;
    std::string_view operand_prompt;
};

constexpr std::string_view real_operands = "실수 a , b 를 입력하십시오.\n(0은 입력 불가능)\n";

// Indexed by the sub-menu choice minus one.
constexpr std::array<Operation, 5> operations{{
    {"\n덧셈 계산기입니다. (a + b)\n", real_operands},
    {"\n뺄셈 계산기입니다. (a - b)\n", real_operands},
    {"\n곱셈 계산기입니다. (a * b)\n", real_operands},
    {"\n나눗셈 계산기입니다. (a / b)\n", real_operands},
    {"\n나머지 계산기입니다. (a %% b)\n", "정수 a , b 를 입력하십시오.\n(0은 입력 불가능)\n"},
}};

// The whole part (truncated toward zero), if it fits 32 bits. 2^31 is exact
// in single precision, so the bounds are too.
std::optional<std::int32_t> whole_part(float value) noexcept {
    if (value >= -2147483648.0F && value < 2147483648.0F) {
        return static_cast<std::int32_t>(value);
    }
    return std::nullopt;
}

}  // namespace

std::optional<float> remainder_of_whole_parts(float dividend, float divisor) noexcept {
    const auto whole_dividend = whole_part(dividend);
    const auto whole_divisor = whole_part(divisor);
    if (!whole_dividend || !whole_divisor || *whole_divisor == 0) {
        return std::nullopt;
    }
    // Anything divided by -1 leaves 0; dividing the lowest int by -1 would trap.
    if (*whole_divisor == -1) {
        return 0.0F;
    }
    return static_cast<float>(*whole_dividend % *whole_divisor);
}

Flow Calculator::run() {
    menu_3_power = 1;
    while (menu_3_power != 0) {
        menu_3_select = menu_3_select_preset;
        menu_3_ask_continue = 1;
        console_.print("어떤 계산기를 사용하시겠습니까?\n\n");
        console_.print("\n[1] 덧셈, [2] 뺄셈, [3] 곱셈, [4]나눗셈, [5]나머지를 계산합니다. [0]메인 메뉴로 돌아갑니다.\n");
        if (read_whole(console_, menu_3_select) == Flow::stop) {
            return Flow::stop;
        }
        if (menu_3_select == menu_3_select_preset) {
            console_.print("1,2,3,4,5,0 중 하나만 입력해주세요. :(\n");
        } else if (menu_3_select < 0 || menu_3_select > 5) {
            console_.print("정수 1~5 사이로 입력해주십시오.\n");
        } else if (menu_3_select == 0) {
            menu_3_power = 0;
            menu_3_ask_continue = 0;
        } else if (run_operation() == Flow::stop) {
            return Flow::stop;
        }
        if (menu_3_ask_continue == 1 &&
            ask_to_continue(console_, menu_3_continue, menu_3_power, Asked::every_time) == Flow::stop) {
            return Flow::stop;
        }
    }
    return Flow::go_on;
}

Flow Calculator::run_operation() {
    // Only choices 1 to 5 come here.
    const Operation& operation = operations[static_cast<std::size_t>(menu_3_select - 1)];
    A = 0.0F;
    B = 0.0F;
    console_.print(operation.heading);
    console_.print(operation.operand_prompt);
    if (read_two_reals(console_, A, B) == Flow::stop) {
        return Flow::stop;
    }
    // An operand that was not a number is still 0 and is refused with zero.
    if (A == 0.0F || B == 0.0F) {
        console_.print("숫자만 입력해주세요...");
        return Flow::go_on;
    }
    switch (menu_3_select) {
        case 1:
            result = A + B;
            break;
        case 2:
            result = A - B;
            break;
        case 3:
            result = A * B;
            break;
        case 4:
            result = A / B;
            break;
        default:
            if (const auto remainder = remainder_of_whole_parts(A, B)) {
                result = *remainder;
                break;
            }
            // No whole number to divide by: answered like a zero operand.
            console_.print("숫자만 입력해주세요...");
            return Flow::go_on;
    }
    console_.print("결과값 : %f\n", {result});
    return Flow::go_on;
}

}  // namespace varnel
