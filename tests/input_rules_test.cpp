// The input rules at their edges, on memory streams.
#include "input_rules.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

#include "memory_streams.hpp"
#include "real_number_text.hpp"

namespace varnel {
namespace {

// A console over a fixed input, with what it printed at hand.
class Typed {
public:
    explicit Typed(std::string text) : text_(std::move(text)), input_(text_), console_(input_, output_) {}

    Console& console() { return console_; }

    std::string printed() {
        static_cast<void>(console_.flush());
        return output_.text();
    }

    // The next whole number on what is left of the input, or `preset`.
    std::int32_t next_whole(std::int32_t preset = -1) {
        std::int32_t value = preset;
        EXPECT_EQ(read_whole(console_, value), Flow::go_on);
        return value;
    }

    char next_character() {
        char value = '?';
        EXPECT_EQ(read_character(console_, value), Flow::go_on);
        return value;
    }

private:
    std::string text_;
    MemorySource input_;
    MemorySink output_;
    Console console_;
};

std::int32_t whole_from(const std::string& text, std::int32_t preset = -1) { return Typed(text).next_whole(preset); }

float real_from(const std::string& text, float preset = -7.0F) {
    Typed typed(text);
    float value = preset;
    EXPECT_EQ(read_real(typed.console(), value), Flow::go_on) << text;
    return value;
}

TEST(ReadWhole, TakesTheNumberAtTheStartOfTheLine) {
    EXPECT_EQ(whole_from("42\n"), 42);
    EXPECT_EQ(whole_from("2abc\n"), 2);
    EXPECT_EQ(whole_from("3.7\n"), 3);
    EXPECT_EQ(whole_from("-0\n"), 0);
    EXPECT_EQ(whole_from("+5\n"), 5);
    EXPECT_EQ(whole_from("  \t-17 junk\n"), -17);
    EXPECT_EQ(whole_from("\n\n\n  8\n"), 8);
    EXPECT_EQ(whole_from("000000000000000000000000012\n"), 12);
    EXPECT_EQ(whole_from("7\r\n"), 7);
}

TEST(ReadWhole, KeepsThePresetWhenNoNumberFits) {
    EXPECT_EQ(whole_from("abc\n", -1), -1);
    EXPECT_EQ(whole_from("-\n", -930225), -930225);
    EXPECT_EQ(whole_from("+ 3\n", 0), 0);
    EXPECT_EQ(whole_from(".5\n", 0), 0);
}

TEST(ReadWhole, Accepts32BitsAndNoMore) {
    EXPECT_EQ(whole_from("2147483647\n"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(whole_from("-2147483648\n"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(whole_from("2147483648\n", -1), -1);
    EXPECT_EQ(whole_from("-2147483649\n", -1), -1);
    EXPECT_EQ(whole_from("99999999999999999999999999999999\n", -1), -1);
}

TEST(ReadWhole, DiscardsTheRestOfTheLine) {
    Typed typed("42 xyz\n7\n");
    EXPECT_EQ(typed.next_whole(), 42);
    EXPECT_EQ(typed.next_whole(), 7);

    Typed junk("abc def\nq\n");
    EXPECT_EQ(junk.next_whole(), -1);
    EXPECT_EQ(junk.next_character(), 'q');
}

TEST(ReadWhole, StopsWhenTheInputEndsBeforeANumber) {
    for (const char* text : {"", "   ", "\n\n\r\n", "-", "  +"}) {
        Typed typed(text);
        std::int32_t value = -1;
        EXPECT_EQ(read_whole(typed.console(), value), Flow::stop) << '"' << text << '"';
        EXPECT_EQ(value, -1);
    }
    // A last line without a newline still counts.
    Typed last("0");
    std::int32_t value = -1;
    EXPECT_EQ(read_whole(last.console(), value), Flow::go_on);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(read_whole(last.console(), value), Flow::stop);
}

TEST(ReadReal, TakesTheLongestDecimalPrefix) {
    EXPECT_EQ(real_from("1e2\n"), 100.0F);
    EXPECT_EQ(real_from("1E+2\n"), 100.0F);
    EXPECT_EQ(real_from("1e\n"), 1.0F);
    EXPECT_EQ(real_from("1e-x\n"), 1.0F);
    EXPECT_EQ(real_from("1e5x\n"), 100000.0F);
    EXPECT_EQ(real_from("5.\n"), 5.0F);
    EXPECT_EQ(real_from(".5\n"), 0.5F);
    EXPECT_EQ(real_from("-1.5abc\n"), -1.5F);
    EXPECT_EQ(real_from("0.1\n"), 0.1F);
    EXPECT_EQ(real_from("0x10\n"), 0.0F);
}

TEST(ReadReal, KeepsThePresetForNonNumbers) {
    for (const char* text : {".\n", "-.e5\n", "inf\n", "nan\n", "e5\n", "- 1\n", "abc\n"}) {
        EXPECT_EQ(real_from(text), -7.0F) << text;
    }
}

TEST(ReadReal, RoundsOnceStraightToSinglePrecision) {
    // Halfway between 1 and the next float, plus a little: through a double
    // the little is lost and the tie goes down to 1.
    EXPECT_EQ(real_from("1.0000000596046447753906250001\n"), 1.0F + 0x1p-23F);
    EXPECT_EQ(real_from("1.0000000596046447753906250000\n"), 1.0F);
    // The same decision far past the digits a float needs.
    EXPECT_EQ(real_from("1.00000005960464477539062500000000000000000000000000000000000000000000000000000000000000"
                        "0000000000000000000000000000000000000000000000000000000000000000000000000000000000001\n"),
              1.0F + 0x1p-23F);
    // Only zeros past the kept digits: still the tie, which goes to even.
    EXPECT_EQ(real_from("1.000000059604644775390625" + std::string(150, '0') + "\n"), 1.0F);
    // Leading zeros move the point, and the exponent moves it back.
    EXPECT_EQ(real_from("0." + std::string(200, '0') + "25e202\n"), 25.0F);
    EXPECT_EQ(real_from(std::string(300, '0') + "4" + std::string(30, '0') + "e-30\n"), 4.0F);
    EXPECT_EQ(real_from("123456789012345678901234567890\n"), 123456789012345678901234567890.0F);
    // A million digits and more move the point just as far.
    const std::string million_zeros(1'000'000, '0');
    EXPECT_EQ(real_from("1" + million_zeros + "e-1000000\n"), 1.0F);
    EXPECT_EQ(real_from("1" + million_zeros + million_zeros + "e-2000001\n"), 0.1F);
    EXPECT_EQ(real_from("0." + million_zeros + "3e1000001\n"), 3.0F);
    EXPECT_EQ(real_from("1" + million_zeros + "e-99999999999999999999\n"), 0.0F);
}

TEST(ReadReal, NumbersRoundLikeTheLibrary) {
    // One to ten digits with a point anywhere and an exponent: the numbers
    // people type, over the range that one float operation covers (seven
    // digits, below 2^24, a power of ten within plus or minus 10) and past
    // each of its limits; every fourth up to 60 digits, past both ends of
    // single precision.
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t below) {
        seed = seed * 1103515245U + 12345U;
        return (seed >> 8U) % below;
    };
    for (int i = 0; i < 20000; ++i) {
        const bool long_number = i % 4 == 0;
        std::string digits(1 + next(long_number ? 60 : 10), '0');
        for (char& digit : digits) {
            digit = static_cast<char>('0' + next(10));
        }
        const auto point = next(static_cast<std::uint32_t>(digits.size()) + 1);
        const std::string text = digits.substr(0, point) + "." + digits.substr(point) + "e" +
                                 std::to_string(long_number ? static_cast<int>(next(121)) - 80 : static_cast<int>(next(41)) - 20);
        // Beyond the largest float the entry is no number: the preset stays.
        float expected = -7.0F;
#ifdef __cpp_lib_to_chars
        if (std::from_chars(text.data(), text.data() + text.size(), expected).ec == std::errc::result_out_of_range) {
            expected = std::strtod(text.c_str(), nullptr) < 1.0 ? 0.0F : -7.0F;
        }
#else
        // A C++ library without floating-point from_chars (the browser
        // build's): its C library's strtof rounds exactly too.
        expected = std::strtof(text.c_str(), nullptr);
        expected = std::isinf(expected) ? -7.0F : expected;
#endif
        ASSERT_EQ(real_from(text + "\n"), expected) << text;
    }
}

TEST(ReadReal, OverflowIsNoNumberAndUnderflowRounds) {
    EXPECT_EQ(real_from("3.4028235e38\n"), std::numeric_limits<float>::max());
    // Just below the midpoint between the largest float and 2^128.
    EXPECT_EQ(real_from("3.4028235677e38\n"), std::numeric_limits<float>::max());
    EXPECT_EQ(real_from("3.4028235678e38\n"), -7.0F);
    EXPECT_EQ(real_from("3.5e38\n"), -7.0F);
    EXPECT_EQ(real_from("1e39\n"), -7.0F);
    EXPECT_EQ(real_from("-1e99999999999999999999\n"), -7.0F);
    EXPECT_EQ(real_from("1e-45\n"), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(real_from("1e-50\n"), 0.0F);
    EXPECT_EQ(real_from("1e-99999999999999999999\n"), 0.0F);
    const float negative_tiny = real_from("-1e-50\n");
    EXPECT_EQ(negative_tiny, 0.0F);
    EXPECT_TRUE(std::signbit(negative_tiny));
    EXPECT_EQ(real_from("0e99999999999\n"), 0.0F);
}

TEST(ReadTwoReals, TakesBothFromOneLineOrTwo) {
    for (const char* text : {"3 4\n", "3\n4\n", "3\n\n\n   4 junk\n", "3\t4\r\n"}) {
        Typed typed(text);
        float first = 0.0F;
        float second = 0.0F;
        EXPECT_EQ(read_two_reals(typed.console(), first, second), Flow::go_on);
        EXPECT_EQ(first, 3.0F) << text;
        EXPECT_EQ(second, 4.0F) << text;
    }
}

TEST(ReadTwoReals, StopsAtTheFirstEntryThatIsNoNumber) {
    struct Case {
        const char* text;
        float first;
        float second;
    };
    for (const Case& each : {Case{"3 x\n", 3.0F, 0.0F}, Case{"x 4\n", 0.0F, 0.0F}, Case{"1e39 4\n", 0.0F, 0.0F},
                             Case{"1e 2\n", 1.0F, 0.0F}, Case{"2 1e39\n", 2.0F, 0.0F}}) {
        Typed typed(std::string(each.text) + "q\n");
        float first = 0.0F;
        float second = 0.0F;
        EXPECT_EQ(read_two_reals(typed.console(), first, second), Flow::go_on);
        EXPECT_EQ(first, each.first) << each.text;
        EXPECT_EQ(second, each.second) << each.text;
        EXPECT_EQ(typed.next_character(), 'q') << "the rest of the line is gone after " << each.text;
    }
}

TEST(ReadTwoReals, StopsWhenTheInputEndsBeforeTheSecond) {
    for (const char* text : {"", "5", "5\n", "5 \n\n", "5 -"}) {
        Typed typed(text);
        float first = 0.0F;
        float second = 0.0F;
        EXPECT_EQ(read_two_reals(typed.console(), first, second), Flow::stop) << '"' << text << '"';
    }
}

TEST(ReadCharacter, TakesTheFirstByteOfTheLine) {
    Typed typed("yes\n\nlll\n\r\n x\n");
    EXPECT_EQ(typed.next_character(), 'y');
    EXPECT_EQ(typed.next_character(), '\n');
    EXPECT_EQ(typed.next_character(), 'l');
    EXPECT_EQ(typed.next_character(), '\r');
    EXPECT_EQ(typed.next_character(), ' ');
    char value = '?';
    EXPECT_EQ(read_character(typed.console(), value), Flow::stop);
}

TEST(ReadCharacter, AnEmptyLineDoesNotEatTheNextLine) {
    Typed typed("\n5\n");
    EXPECT_EQ(typed.next_character(), '\n');
    EXPECT_EQ(typed.next_whole(), 5);
}

TEST(ContinueQuestion, AskedOnceComplainsWithoutAskingAgain) {
    Typed typed("q\n\nY\nyes\n");
    char answer = 0;
    std::int32_t power = 1;
    EXPECT_EQ(ask_to_continue(typed.console(), answer, power, Asked::once), Flow::go_on);
    EXPECT_EQ(power, 1);
    const std::string complaint = "말~해 yes or no !  hooou~!\n\n";
    EXPECT_EQ(typed.printed(), "계속 하시겠습니까?\n(y : Yes, n : No)\n" + complaint + complaint + complaint + "\n\n");
}

TEST(ContinueQuestion, AskedEveryTimeRepeatsTheQuestion) {
    Typed typed("N\nn\n");
    char answer = 0;
    std::int32_t power = 1;
    EXPECT_EQ(ask_to_continue(typed.console(), answer, power, Asked::every_time), Flow::go_on);
    EXPECT_EQ(power, 0);
    const std::string question = "계속 하시겠습니까?\n(y : Yes, n : No)\n";
    EXPECT_EQ(typed.printed(), question + "말~해 yes or no !  hooou~!\n\n" + question);
}

TEST(ContinueQuestion, StopsAtTheEndOfTheInput) {
    Typed typed("x\n");
    char answer = 0;
    std::int32_t power = 1;
    EXPECT_EQ(ask_to_continue(typed.console(), answer, power, Asked::every_time), Flow::stop);
    EXPECT_EQ(power, 1);
}

TEST(Print, FillsInNumbersLikeTheFormattedOutputRoutine) {
    Typed typed("");
    Console& console = typed.console();
    console.print("%d|%d|%d|", {0, -2147483647 - 1, 2147483647});
    console.print("%f|%f|%f|%f|", {0.1F, 0.0078125F, -0.0F, 1e-7F});
    console.print("%f|%f|", {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()});
    // The longest text a float makes, whole; and an assigned float is single
    // precision even where the processor computes wider (32-bit x86's x87).
    volatile float large = 1e38F;
    const float product = large * large;
    console.print("%f|%f|", {std::numeric_limits<float>::lowest(), product / large});
    console.print("(a %% b) 100%%");
    EXPECT_EQ(typed.printed(), "0|-2147483648|2147483647|0.100000|0.007812|-0.000000|0.000000|inf|-inf|"
                               "-340282346638528859811704183484516925440.000000|inf|(a % b) 100%");
#ifdef __cpp_lib_to_chars
    // Every kind of float, by its bits: tiny and huge, ties at the sixth
    // decimal, NaNs of either sign, against the C++ library's "%f".
    std::uint32_t bits = 1;
    for (int i = 0; i < 200000; ++i, bits = bits * 1664525U + 1013904223U) {
        const auto value = std::bit_cast<float>(bits);
        std::array<char, fixed_text_size> ours{};
        std::array<char, 64> library{};
        const char* const end = write_fixed(ours.data(), value);
        const char* const begin = ours.data();
        const auto expected = std::to_chars(library.data(), library.data() + library.size(), static_cast<double>(value),
                                            std::chars_format::fixed, 6);
        ASSERT_EQ(expected.ec, std::errc{}) << bits;
        ASSERT_EQ(std::string(begin, end), std::string(library.data(), expected.ptr)) << bits;
    }
#endif
}

// Input that records how much had been printed when the program first
// waited for a typed byte.
class WatchedInput final : public ByteSource {
public:
    WatchedInput(std::string_view text, const MemorySink& output) : text_(text), output_(output) {}
    std::string printed_before_first_wait;
    bool waited = false;

    std::size_t read(char* buffer, std::size_t room) override {
        if (!waited) {
            waited = true;
            printed_before_first_wait = output_.text();
        }
        return text_.read(buffer, room);
    }

private:
    MemorySource text_;
    const MemorySink& output_;
};

TEST(Print, EveryMessageIsOutBeforeTheNextRead) {
    MemorySink output;
    WatchedInput input("5\n", output);
    Console console(input, output);
    console.print("a : ");
    float value = 0.0F;
    EXPECT_EQ(read_real(console, value), Flow::go_on);
    EXPECT_TRUE(input.waited);
    EXPECT_EQ(input.printed_before_first_wait, "a : ");
}

TEST(Print, LostOutputStopsTheReadThatWouldWait) {
    // Output is handed over only when the input must be refilled, so the
    // line already at hand is read; the read after it would wait, and stops.
    // The first read, before anything is printed, takes both lines.
    MemorySource input("1\n2\n");
    LimitedSink output(0);
    Console console(input, output);
    std::int32_t value = -1;
    EXPECT_EQ(read_whole(console, value), Flow::go_on);
    console.print("menu\n");
    EXPECT_EQ(read_whole(console, value), Flow::go_on);
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(console.output_lost());
    console.print("menu\n");
    EXPECT_EQ(read_whole(console, value), Flow::stop);
    EXPECT_TRUE(console.output_lost());
}

}  // namespace
}  // namespace varnel
