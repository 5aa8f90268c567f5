#include "choice_loop.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace pindle {

namespace {

using Traits = std::streambuf::traits_type;

enum class Entry { number, not_a_number, ended };

constexpr int end_of_input = -1;

bool is_space(int byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }
bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }

// The loop's two ends. Typed bytes are taken straight from the input's
// buffer, and answers collect in a fixed buffer that is handed to the output
// when it is full, at the end, and just before the input must be refilled:
// the one moment the program may wait for typing, with every answer on the
// screen.
class Streams {
public:
    Streams(std::streambuf& in, std::streambuf& out) noexcept : in_(in), out_(out) {}

    // The next byte (0..255) or end_of_input, without taking it. Lost output
    // ends the input too: nobody would see the answers.
    int peek() { return bytes_at_hand() ? in_.sgetc() : peek_refilling(); }
    // Takes the next byte, or returns end_of_input.
    int take() { return bytes_at_hand() ? in_.sbumpc() : take_refilling(); }
    // Takes the byte that peek() has just shown: it is at hand.
    void skip() { in_.sbumpc(); }

    void answer(std::string_view text) {
        if (text.size() > answers_.size() - used_ && !flush()) {
            return;
        }
        std::memcpy(answers_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }

    // Hands every answer to the output. False once output is lost.
    bool flush() {
        if (!output_lost_ && used_ > 0) {
            const auto wanted = static_cast<std::streamsize>(used_);
            output_lost_ = out_.sputn(answers_.data(), wanted) != wanted;
        }
        used_ = 0;
        return !output_lost_;
    }

    [[nodiscard]] bool output_lost() const noexcept { return output_lost_; }

private:
    // Whether the next byte can be had at once (a stream buffer hands bytes
    // out as 0..255). Lost output is found when answers are handed over: the
    // loop stops at its next turn, and a refill ends the input.
    [[nodiscard]] bool bytes_at_hand() { return in_.in_avail() > 0; }

    // Flushes when the input is about to be refilled. False once output is
    // lost.
    bool ready_to_read() {
        // in_avail() is 0 or less exactly when the next look reads anew.
        if (!output_lost_ && in_.in_avail() <= 0) {
            static_cast<void>(flush());
        }
        return !output_lost_;
    }
    int peek_refilling() {
        if (!ready_to_read()) {
            return end_of_input;
        }
        const auto byte = in_.sgetc();
        return Traits::eq_int_type(byte, Traits::eof()) ? end_of_input : byte;
    }
    int take_refilling() {
        if (!ready_to_read()) {
            return end_of_input;
        }
        const auto byte = in_.sbumpc();
        return Traits::eq_int_type(byte, Traits::eof()) ? end_of_input : byte;
    }

    std::streambuf& in_;
    std::streambuf& out_;
    std::array<char, std::size_t{64} * 1024> answers_{};
    std::size_t used_ = 0;
    bool output_lost_ = false;
};

// Reads a decimal whole number with optional sign, leaving whatever follows
// it for the next read: several numbers on a line are answered in turn.
Entry read_number(Streams& in, std::int32_t& num) {
    while (is_space(in.peek())) {
        in.skip();
    }
    int next = in.peek();
    if (next == end_of_input) {
        return Entry::ended;
    }
    bool negative = false;
    if (next == '+' || next == '-') {
        negative = in.take() == '-';
        next = in.peek();
    }
    if (!is_digit(next)) {
        return next == end_of_input ? Entry::ended : Entry::not_a_number;
    }
    // Saturates just past the range, so that overlong digits cannot overflow.
    constexpr std::int64_t beyond = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (int digit = next; is_digit(digit); digit = in.peek()) {
        in.skip();
        magnitude = std::min(magnitude * 10 + (digit - '0'), beyond + 1);
    }
    if (magnitude > (negative ? beyond : beyond - 1)) {
        return Entry::not_a_number;
    }
    num = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return Entry::number;
}

// Throws away the text that could not be read, up to and including the end
// of its line.
void discard_line(Streams& in) {
    int byte = 0;
    do {
        byte = in.take();
    } while (byte != '\n' && byte != end_of_input);
}

constexpr std::string_view complaint = "1,2,0 중 하나만 입력해주세요... :(\n";

}  // namespace

bool run_choice_loop(std::streambuf& input, std::streambuf& output) {
    Streams in_out(input, output);
    std::int32_t choice_loop_power = 1;
    std::int32_t num = 0;
    while (choice_loop_power != 0 && !in_out.output_lost()) {
        const Entry entry = read_number(in_out, num);
        if (entry == Entry::ended) {
            break;
        }
        if (entry == Entry::not_a_number) {
            in_out.answer(complaint);
            discard_line(in_out);
            continue;
        }
        switch (num) {
            case 0:
                in_out.answer("프로그램이 종료되었습니다~ :)\n\n\n");
                choice_loop_power = 0;
                break;
            case 1:
                in_out.answer("1번\n");
                break;
            case 2:
                in_out.answer("2번\n");
                break;
            default:
                in_out.answer(complaint);
                break;
        }
    }
    return in_out.flush();
}

}  // namespace pindle
