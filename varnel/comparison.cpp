#include "comparison.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "input_rules.hpp"

namespace varnel {

Flow Comparison::run() {
    menu_2_power = 1;
    while (menu_2_power != 0) {
        a = 0.0F;
        b = 0.0F;
        c = 0.0F;
        console_.print("실수 a, b, c를 순서대로 입력해주세오.\n(0은 입력 불가능)\n");
        console_.print("a : ");
        if (read_real(console_, a) == Flow::stop) {
            return Flow::stop;
        }
        console_.print("b : ");
        if (read_real(console_, b) == Flow::stop) {
            return Flow::stop;
        }
        console_.print("c : ");
        if (read_real(console_, c) == Flow::stop) {
            return Flow::stop;
        }
        print_order();
        if (ask_to_continue(console_, menu_2_continue, menu_2_power, Asked::once) == Flow::stop) {
            return Flow::stop;
        }
    }
    return Flow::go_on;
}

void Comparison::print_order() {
    struct Ordering {
        bool holds;
        float smallest;
        float middle;
        float largest;
        std::string_view message;
    };
    // Strict comparisons: equal values have no order, and zero is refused.
    using Orderings = std::array<Ordering, 6>;
    const Orderings orderings{{
        {a > b && a > c && b > c, c, b, a, "∴ c < b < a 이므로, a가 가장 크고, c가 가장 작습니다.\n\n"},
        {a > b && a > c && c > b, b, c, a, "∴ b < c < a 이므로, a가 가장 크고, b가 가장 작습니다.\n\n"},
        {b > a && b > c && a > c, c, a, b, "∴ c < a < b 이므로, b가 가장 크고, c가 가장 작습니다.\n\n"},
        {b > a && b > c && c > a, a, c, b, "∴ a < c < b 이므로, b가 가장 크고, a가 가장 작습니다.\n\n"},
        {c > a && c > b && a > b, b, a, c, "∴ b < a < c 이므로, c가 가장 크고, b가 가장 작습니다.\n\n"},
        {c > a && c > b && b > a, a, b, c, "∴ a < b < c 이므로, c가 가장 크고, a가 가장 작습니다.\n\n"},
    }};
    const Orderings::const_iterator ordering =
        std::find_if(orderings.begin(), orderings.end(), [](const Ordering& each) { return each.holds; });
    if (a == 0.0F || b == 0.0F || c == 0.0F || ordering == orderings.end()) {
        console_.print("숫자만 입력해주세요... :( ");
        return;
    }
    console_.print("%f < %f < %f\n", {ordering->smallest, ordering->middle, ordering->largest});
    console_.print(ordering->message);
}

}  // namespace varnel
