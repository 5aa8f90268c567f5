#include "input_rules.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "real_number_text.hpp"

namespace varnel {

namespace {

enum class Scan { number, not_a_number, ended };

bool is_space(int byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }
bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }
bool is_sign(int byte) { return byte == '+' || byte == '-'; }

// Skips white space, empty lines included. False when the input ends first.
bool skip_white_space(Console& console) {
    while (is_space(console.peek())) {
        console.take();
    }
    return console.peek() != Console::end_of_input;
}

void discard_rest_of_line(Console& console) {
    int byte = 0;
    do {
        byte = console.take();
    } while (byte != '\n' && byte != Console::end_of_input);
}

// A sign or point was not followed by the digit it needs: the entry is not a
// number, unless the input ended right there.
Scan missing_digits(Console& console) {
    return console.peek() == Console::end_of_input ? Scan::ended : Scan::not_a_number;
}

Scan scan_whole(Console& console, std::int32_t& value) {
    if (!skip_white_space(console)) {
        return Scan::ended;
    }
    bool negative = false;
    if (is_sign(console.peek())) {
        negative = console.take() == '-';
    }
    if (!is_digit(console.peek())) {
        return missing_digits(console);
    }
    // Past this every magnitude is out of range; saturating keeps the digits
    // of an overlong number from overflowing the sum.
    constexpr std::int64_t beyond = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    while (is_digit(console.peek())) {
        magnitude = std::min(magnitude * 10 + (console.take() - '0'), beyond + 1);
    }
    if (magnitude > (negative ? beyond : beyond - 1)) {
        return Scan::not_a_number;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return Scan::number;
}

// A typed real number reduced to what decides its rounding: the first
// significant digits, whether any digit after them is not zero, and where the
// decimal point stands. The value is 0.<digits> times ten to `point`.
class DecimalNumber {
public:
    // A value rounds by where it lies against the midpoints between
    // neighbouring floats, and none of those has more than 113 significant
    // digits (the longest, just below 2^-125, is an odd multiple of 2^-150).
    // Keeping 120 digits, with a sticky non-zero digit for any dropped after
    // them, therefore rounds like the whole text would; dropped zeros change
    // nothing, so a midpoint stays a tie however many follow it.
    static constexpr std::size_t kept_digits = 120;
    static_assert(kept_digits + 1 <= max_significant_digits);
    // Typed exponents saturate here: far past any value, and neither ten
    // times it nor the point's place added to it can overflow.
    static constexpr std::int64_t exponent_limit = 100'000'000'000'000'000;

    // The point's place moves by one a digit, so it is bounded by the length
    // of the input and counted exactly.
    void add_digit(int digit, bool after_point) {
        if (kept_ == 0 && digit == '0') {
            if (after_point) {
                --point_;
            }
            return;
        }
        if (!after_point) {
            ++point_;
        }
        if (kept_ < kept_digits) {
            digits_[kept_] = static_cast<char>(digit);
            ++kept_;
        } else if (digit != '0') {
            dropped_non_zero_ = true;
        }
    }

    void add_exponent(std::int64_t exponent) { point_ += exponent; }

    // False when the value is beyond single precision.
    [[nodiscard]] bool to_float(bool negative, float& value) const {
        if (kept_ == 0) {
            value = negative ? -0.0F : 0.0F;
            return true;
        }
        if (float exact = 0.0F; exact_small_number(exact)) {
            value = negative ? -exact : exact;
            return true;
        }
        // The sticky digit stands for every non-zero digit dropped.
        std::array<char, kept_digits + 1> text{};
        char* end = std::copy_n(digits_.data(), kept_, text.data());
        if (dropped_non_zero_) {
            *end++ = '1';
        }
        // Too small rounds to zero; too large is no number here.
        float magnitude = 0.0F;
        if (!nearest_float(std::string_view(text.data(), static_cast<std::size_t>(end - text.data())), point_, magnitude)) {
            return false;
        }
        value = negative ? -magnitude : magnitude;
        return true;
    }

private:
    // Numbers as people type them (up to seven digits, a power of ten up to
    // 10^10 either way) take one float operation: its operands are exact, so
    // its one rounding is the correct one, and the general path is not needed.
    // It makes a long scripted dialogue about a tenth faster.
    bool exact_small_number(float& value) const {
        constexpr std::size_t exact_digits = 7;  // below 2^24
        constexpr std::int64_t exact_power = 10;  // 5^10 is below 2^24
        if (kept_ > exact_digits || dropped_non_zero_) {
            return false;
        }
        const std::int64_t power = point_ - static_cast<std::int64_t>(kept_);
        if (power < -exact_power || power > exact_power) {
            return false;
        }
        std::int32_t whole = 0;
        for (std::size_t i = 0; i < kept_; ++i) {
            whole = whole * 10 + (digits_[i] - '0');
        }
        float scale = 1.0F;
        for (std::int64_t i = 0; i < (power < 0 ? -power : power); ++i) {
            scale *= 10.0F;
        }
        value = power < 0 ? static_cast<float>(whole) / scale : static_cast<float>(whole) * scale;
        return true;
    }

    std::array<char, kept_digits> digits_{};
    std::size_t kept_ = 0;
    bool dropped_non_zero_ = false;
    std::int64_t point_ = 0;
};

// Reads "e", an optional sign and digits. Gives back what it took when no
// digit follows, so that "1e" stays the number 1 followed by "e".
void scan_exponent(Console& console, DecimalNumber& number) {
    const int marker = console.peek();
    if (marker != 'e' && marker != 'E') {
        return;
    }
    console.take();
    int sign = 0;
    if (is_sign(console.peek())) {
        sign = console.take();
    }
    if (!is_digit(console.peek())) {
        if (sign != 0) {
            console.put_back(static_cast<char>(sign));
        }
        console.put_back(static_cast<char>(marker));
        return;
    }
    std::int64_t exponent = 0;
    while (is_digit(console.peek())) {
        exponent = std::min(exponent * 10 + (console.take() - '0'), DecimalNumber::exponent_limit);
    }
    number.add_exponent(sign == '-' ? -exponent : exponent);
}

Scan scan_real(Console& console, float& value) {
    if (!skip_white_space(console)) {
        return Scan::ended;
    }
    bool negative = false;
    if (is_sign(console.peek())) {
        negative = console.take() == '-';
    }
    DecimalNumber number;
    bool any_digit = false;
    while (is_digit(console.peek())) {
        number.add_digit(console.take(), false);
        any_digit = true;
    }
    if (console.peek() == '.') {
        console.take();
        while (is_digit(console.peek())) {
            number.add_digit(console.take(), true);
            any_digit = true;
        }
    }
    if (!any_digit) {
        return missing_digits(console);
    }
    scan_exponent(console, number);
    return number.to_float(negative, value) ? Scan::number : Scan::not_a_number;
}

// Scans one value into `variable` (which keeps its preset when no value fits)
// and discards the rest of the line.
template <typename Value>
Flow read_value(Console& console, Value& variable, Scan (*scan)(Console&, Value&)) {
    Value value{};
    const Scan result = scan(console, value);
    if (result == Scan::ended) {
        return Flow::stop;
    }
    if (result == Scan::number) {
        variable = value;
    }
    discard_rest_of_line(console);
    return Flow::go_on;
}

}  // namespace

Flow read_whole(Console& console, std::int32_t& variable) { return read_value(console, variable, scan_whole); }

Flow read_real(Console& console, float& variable) { return read_value(console, variable, scan_real); }

Flow read_two_reals(Console& console, float& first, float& second) {
    float value = 0.0F;
    Scan scan = scan_real(console, value);
    if (scan == Scan::number) {
        first = value;
        scan = scan_real(console, value);
        if (scan == Scan::number) {
            second = value;
        }
    }
    if (scan == Scan::ended) {
        return Flow::stop;
    }
    discard_rest_of_line(console);
    return Flow::go_on;
}

Flow read_character(Console& console, char& variable) {
    const int byte = console.take();
    if (byte == Console::end_of_input) {
        return Flow::stop;
    }
    variable = static_cast<char>(byte);
    if (byte != '\n') {
        discard_rest_of_line(console);
    }
    return Flow::go_on;
}

Flow ask_to_continue(Console& console, char& answer, std::int32_t& tool_power, Asked form) {
    bool print_question = true;
    while (true) {
        if (print_question) {
            console.print("계속 하시겠습니까?\n(y : Yes, n : No)\n");
        }
        if (read_character(console, answer) == Flow::stop) {
            return Flow::stop;
        }
        if (answer == 'n') {
            tool_power = 0;
            return Flow::go_on;
        }
        if (answer == 'y') {
            console.print("\n\n");
            return Flow::go_on;
        }
        console.print("말~해 yes or no !  hooou~!\n\n");
        print_question = form == Asked::every_time;
    }
}

}  // namespace varnel
