#include "triangle_tool.hpp"

#include "input_rules.hpp"

namespace varnel {

namespace {

// The counter has no bound: it wraps modulo 2^32 instead of overflowing.
std::int32_t step(std::int32_t counter, std::uint32_t delta) noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + delta);
}

}  // namespace

Orientation orientation_for(std::int32_t command_result) noexcept {
    // The angle is 90 times (-counter mod 4). Negating in unsigned arithmetic
    // is defined for every counter, and as 2^32 is a multiple of 4 the wrap
    // keeps the angle.
    switch ((0U - static_cast<std::uint32_t>(command_result)) % 4U) {
        case 1:
            return Orientation::degrees_90;
        case 2:
            return Orientation::degrees_180;
        case 3:
            return Orientation::degrees_270;
        default:
            return Orientation::degrees_0;
    }
}

Flow TriangleTool::run() {
    menu_1_power = 1;
    while (menu_1_power != 0) {
        menu_1_length = 0;
        console_.print("\n　　[SYSTEM] menu_1_power 작동중\n");
        console_.print("생성하고자 하는 삼각형의 한 변의 길이 (양의 정수) 를 입력해주세요.\n");
        if (read_whole(console_, menu_1_length) == Flow::stop) {
            return Flow::stop;
        }
        if (menu_1_length <= 0) {
            console_.print("오직 양의 정수만을 입력해주세요.\n");
        } else if (draw_triangle(console_, menu_1_length, Orientation::degrees_0) == Flow::stop ||
                   take_commands() == Flow::stop) {
            return Flow::stop;
        }
        menu_1_command_result = 0;
    }
    return Flow::go_on;
}

Flow TriangleTool::take_commands() {
    menu_1_power_triangle_turn = 1;
    // Nothing clears this flag: the commands below leave the loop themselves.
    // cppcheck-suppress knownConditionTrueFalse
    while (menu_1_power_triangle_turn != 0) {
        console_.print("\n　　[SYSTEM] menu_1_power_triangle_turn 작동중 , 현재 menu_1_command_result : %d\n",
                       {menu_1_command_result});
        console_.print(
            "명령어를 입력해주세요.\n(l : 좌로 90˚회전, r : 우로 90˚회전, R : 변의 길이 재설정, x : 메인 메뉴로 복귀)\n");
        if (read_character(console_, menu_1_ctrl_command) == Flow::stop) {
            return Flow::stop;
        }
        console_.print("\n");
        switch (menu_1_ctrl_command) {
            case 'l':
                menu_1_command_result = step(menu_1_command_result, 1U);
                break;
            case 'r':
                menu_1_command_result = step(menu_1_command_result, ~0U);
                break;
            case 'R':
                return Flow::go_on;
            case 'x':
                menu_1_power = 0;
                return Flow::go_on;
            default:
                console_.print("Error!!! 오직 l, r, R, x 만 입력하실 수 있습니다!\n길이 입력 단계로 되돌아갑니다.\n");
                return Flow::go_on;
        }
        if (draw_triangle(console_, menu_1_length, orientation_for(menu_1_command_result)) == Flow::stop) {
            return Flow::stop;
        }
    }
    return Flow::go_on;
}

}  // namespace varnel
