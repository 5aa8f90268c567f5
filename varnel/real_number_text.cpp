#include "real_number_text.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace varnel {

namespace {

constexpr std::uint32_t float_fraction_bits = 23;
constexpr std::uint32_t float_exponent_mask = 0xFFU;
constexpr int float_exponent_bias = 127;
// The smallest float is 2^-149.
constexpr int smallest_float_power = 149;

// Writes the last `width` decimal digits of `number`, zeros in front.
char* write_padded(char* text, std::uint64_t number, std::size_t width) {
    for (std::size_t place = width; place-- > 0;) {
        text[place] = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    return text + width;
}

// Writes the decimal digits of `number`, with no leading zeros but for 0.
char* write_digits(char* text, std::uint64_t number) {
    std::array<char, 20> reversed{};
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    return std::reverse_copy(reversed.begin(), reversed.begin() + static_cast<std::ptrdiff_t>(count), text);
}

// A whole number of up to 768 bits, for the exact arithmetic of a
// conversion: 10^166 shifted left by 25 bits is the largest it holds.
class WideNumber {
public:
    static constexpr std::size_t limb_count = 24;

    explicit WideNumber(std::uint32_t value = 0) noexcept : used_(value != 0 ? 1 : 0) { limbs_[0] = value; }

    void multiply_add(std::uint32_t factor, std::uint32_t addend) noexcept {
        std::uint64_t carry = addend;
        for (std::size_t i = 0; i < used_; ++i) {
            const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32U;
        }
        if (carry != 0 && used_ < limb_count) {
            limbs_[used_++] = static_cast<std::uint32_t>(carry);
        }
    }

    void multiply_by_power_of_ten(std::int64_t power) noexcept {
        constexpr std::uint32_t billion = 1'000'000'000;
        for (; power >= 9; power -= 9) {
            multiply_add(billion, 0);
        }
        std::uint32_t rest = 1;
        for (; power > 0; --power) {
            rest *= 10;
        }
        multiply_add(rest, 0);
    }

    void shift_left(std::uint32_t bits) noexcept {
        const std::size_t whole = bits / 32;
        const std::uint32_t part = bits % 32;
        used_ = std::min(used_ + whole + 1, limb_count);
        for (std::size_t i = used_; i-- > 0;) {
            const std::uint32_t high = i >= whole ? limbs_[i - whole] : 0;
            const std::uint32_t low = i >= whole + 1 ? limbs_[i - whole - 1] : 0;
            limbs_[i] = part == 0 ? high : (high << part) | (low >> (32 - part));
        }
        trim();
    }

    void shift_right_one() noexcept {
        for (std::size_t i = 0; i < used_; ++i) {
            const std::uint32_t next = i + 1 < used_ ? limbs_[i + 1] : 0;
            limbs_[i] = (limbs_[i] >> 1U) | (next << 31U);
        }
        trim();
    }

    // Subtracts `other`, which is not larger.
    void subtract(const WideNumber& other) noexcept {
        std::uint64_t borrow = 0;
        for (std::size_t i = 0; i < used_; ++i) {
            const std::uint64_t taken = std::uint64_t{i < other.used_ ? other.limbs_[i] : 0} + borrow;
            borrow = limbs_[i] < taken ? 1 : 0;
            limbs_[i] = static_cast<std::uint32_t>((std::uint64_t{1} << 32U) * borrow + limbs_[i] - taken);
        }
        trim();
    }

    [[nodiscard]] int compare(const WideNumber& other) const noexcept {
        if (used_ != other.used_) {
            return used_ < other.used_ ? -1 : 1;
        }
        for (std::size_t i = used_; i-- > 0;) {
            if (limbs_[i] != other.limbs_[i]) {
                return limbs_[i] < other.limbs_[i] ? -1 : 1;
            }
        }
        return 0;
    }

    [[nodiscard]] int bit_length() const noexcept {
        return used_ == 0 ? 0 : static_cast<int>(32 * (used_ - 1) + std::bit_width(limbs_[used_ - 1]));
    }

private:
    void trim() noexcept {
        while (used_ > 0 && limbs_[used_ - 1] == 0) {
            --used_;
        }
    }

    std::array<std::uint32_t, limb_count> limbs_{};
    std::size_t used_;
};

// floor(numerator / denominator), known to be below 2^25, and leaves the
// remainder in `numerator`.
std::uint32_t divide(WideNumber& numerator, WideNumber denominator) noexcept {
    constexpr std::uint32_t quotient_bits = 25;
    denominator.shift_left(quotient_bits - 1);
    std::uint32_t quotient = 0;
    for (std::uint32_t bit = quotient_bits; bit-- > 0;) {
        if (numerator.compare(denominator) >= 0) {
            numerator.subtract(denominator);
            quotient |= 1U << bit;
        }
        denominator.shift_right_one();
    }
    return quotient;
}

// floor(numerator * 2^shift / denominator) and its remainder, for a shift
// either way.
std::uint32_t scaled_quotient(WideNumber numerator, WideNumber denominator, int shift, WideNumber& remainder,
                              WideNumber& divisor) noexcept {
    if (shift >= 0) {
        numerator.shift_left(static_cast<std::uint32_t>(shift));
    } else {
        denominator.shift_left(static_cast<std::uint32_t>(-shift));
    }
    const std::uint32_t quotient = divide(numerator, denominator);
    remainder = numerator;
    divisor = denominator;
    return quotient;
}

}  // namespace

char* write_fixed(char* text, float value) noexcept {
    // A copy, not std::bit_cast: the browser build's C++ library lacks it.
    std::uint32_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits >> 31U) != 0) {
        *text++ = '-';
    }
    const std::uint32_t exponent_field = (bits >> float_fraction_bits) & float_exponent_mask;
    std::uint64_t mantissa = bits & ((1U << float_fraction_bits) - 1);
    if (exponent_field == float_exponent_mask) {
        return std::copy_n(mantissa == 0 ? "inf" : "nan", 3, text);
    }
    int power = 1 - float_exponent_bias - static_cast<int>(float_fraction_bits);
    if (exponent_field != 0) {
        mantissa |= 1U << float_fraction_bits;
        power += static_cast<int>(exponent_field) - 1;
    }
    constexpr std::uint64_t millionths = 1'000'000;
    if (power >= 0) {
        // A whole number of up to 39 digits: mantissa * 2^power in base
        // 10^9, doubled 29 bits at a time.
        constexpr std::uint64_t billion = 1'000'000'000;
        std::array<std::uint64_t, 5> parts{mantissa % billion, mantissa / billion, 0, 0, 0};
        for (int left = power; left > 0; left -= 29) {
            const int step = std::min(left, 29);
            std::uint64_t carry = 0;
            for (auto& part : parts) {
                const std::uint64_t doubled = (part << static_cast<unsigned>(step)) + carry;
                part = doubled % billion;
                carry = doubled / billion;
            }
        }
        std::size_t top = parts.size() - 1;
        while (top > 0 && parts[top] == 0) {
            --top;
        }
        text = write_digits(text, parts[top]);
        for (std::size_t i = top; i-- > 0;) {
            text = write_padded(text, parts[i], 9);
        }
        return std::copy_n(".000000", 7, text);
    }
    // mantissa / 2^shift in millionths, rounded to the nearest, ties to
    // even. Past 50 bits of shift the value is below a quarter of a
    // millionth (mantissa * 10^6 is below 2^45) and rounds to zero.
    const auto shift = static_cast<unsigned>(-power);
    std::uint64_t scaled = 0;
    if (shift <= 50) {
        const std::uint64_t exact = mantissa * millionths;
        scaled = exact >> shift;
        const std::uint64_t remainder = exact & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (remainder > half || (remainder == half && (scaled & 1U) != 0)) {
            ++scaled;
        }
    }
    text = write_digits(text, scaled / millionths);
    *text++ = '.';
    return write_padded(text, scaled % millionths, 6);
}

bool nearest_float(std::string_view digits, std::int64_t point, float& value) noexcept {
    // 0.<digits> * 10^point is at least 10^(point - 1): past 10^39 it is
    // beyond the largest float (about 3.4 * 10^38), and below 10^-46 it is
    // less than half the smallest (about 1.4 * 10^-45).
    constexpr std::int64_t largest_point = 39;
    constexpr std::int64_t smallest_point = -45;
    if (digits.empty() || point < smallest_point) {
        value = 0.0F;
        return true;
    }
    if (point > largest_point || digits.size() > max_significant_digits) {
        return false;
    }
    // The value is numerator / denominator, both whole.
    WideNumber numerator;
    for (const char digit : digits) {
        numerator.multiply_add(10, static_cast<std::uint32_t>(digit - '0'));
    }
    const std::int64_t power = point - static_cast<std::int64_t>(digits.size());
    WideNumber denominator(1);
    if (power >= 0) {
        numerator.multiply_by_power_of_ten(power);
    } else {
        denominator.multiply_by_power_of_ten(-power);
    }
    // The quotient of the scaled value takes 24 bits, or fewer where the
    // value is below the smallest normal float and 2^-149 is the step.
    constexpr int mantissa_bits = 24;
    int shift = std::min(mantissa_bits - numerator.bit_length() + denominator.bit_length(), smallest_float_power);
    WideNumber remainder;
    WideNumber divisor;
    std::uint32_t quotient = scaled_quotient(numerator, denominator, shift, remainder, divisor);
    if (quotient >= (1U << static_cast<unsigned>(mantissa_bits))) {
        --shift;
        quotient = scaled_quotient(numerator, denominator, shift, remainder, divisor);
    }
    // Ties to even: compare twice the remainder with the divisor.
    remainder.shift_left(1);
    const int against_half = remainder.compare(divisor);
    if (against_half > 0 || (against_half == 0 && (quotient & 1U) != 0)) {
        ++quotient;
    }
    // Exact: the quotient has at most 25 bits, of which the last is 0 when
    // it has 25, and the power of two is within a float's range or the
    // value overflows.
    value = std::ldexp(static_cast<float>(quotient), -shift);
    return !std::isinf(value);
}

}  // namespace varnel
