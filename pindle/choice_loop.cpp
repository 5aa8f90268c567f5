#include "choice_loop.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace pindle {

namespace {

enum class Entry { number, not_a_number, ended };

constexpr int end_of_input = -1;

bool is_space(int byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }
bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }

// Every answer but the closing one is short: each is kept padded to one
// size, so that giving any of them is the same one copy, whichever it is.
constexpr std::size_t short_answer_room = 48;

struct ShortAnswer {
    std::array<char, short_answer_room> text{};
    std::size_t size = 0;
};

constexpr ShortAnswer short_answer(std::string_view text) {
    ShortAnswer padded;
    std::copy(text.begin(), text.end(), padded.text.begin());
    padded.size = text.size();
    return padded;
}

// The complaint, then the answers to 1 and 2, so that a number's answer is
// found by arithmetic rather than by a branch the processor would guess
// wrong on mixed input.
constexpr std::array<ShortAnswer, 3> short_answers{short_answer("1,2,0 중 하나만 입력해주세요... :(\n"),
                                                   short_answer("1번\n"), short_answer("2번\n")};

const ShortAnswer& complaint() { return short_answers[0]; }

// The answer to a number other than 0.
const ShortAnswer& answer_to(std::int32_t num) {
    const auto one_or_two = static_cast<std::size_t>(static_cast<std::uint32_t>(num) - 1U < 2U);
    return short_answers[one_or_two * static_cast<std::size_t>(num)];
}

// The loop's two ends. Typed bytes are read into a buffer of the loop's
// own, as many as the input gives at once, and answers collect in a fixed
// buffer that is handed to the output when it is full, at the end, and just
// before the input must be refilled: the one moment the program may wait
// for typing, with every answer on the screen.
class Streams {
public:
    Streams(ByteSource& in, ByteSink& out) noexcept : in_(in), out_(out) {}

    // The next byte (0..255) or end_of_input, without taking it. Lost output
    // ends the input too: nobody would see the answers.
    int peek() { return next_ != end_ ? static_cast<unsigned char>(*next_) : peek_refilling(); }
    // Takes the next byte, or returns end_of_input.
    int take() { return next_ != end_ ? static_cast<unsigned char>(*next_++) : take_refilling(); }
    // Takes the byte that peek() has just shown: it is at hand.
    void skip() { ++next_; }

    // Takes everything up to and including the next line feed, or up to the
    // end of the input.
    void skip_line() {
        while (next_ != end_ || refill()) {
            const char* const line_feed = std::find(next_, end_, '\n');
            if (line_feed != end_) {
                next_ = line_feed + 1;
                return;
            }
            next_ = end_;
        }
    }

    void answer(std::string_view text) {
        if (text.size() > answers_size - used_ && !flush()) {
            return;
        }
        std::memcpy(answers_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }

    // The padding lands past the answers so far, in room kept for it, and
    // the next answer writes over it.
    void answer(const ShortAnswer& short_answer) {
        if (short_answer.size > answers_size - used_ && !flush()) {
            return;
        }
        std::memcpy(answers_.data() + used_, short_answer.text.data(), short_answer.text.size());
        used_ += short_answer.size;
    }

    // Hands every answer to the output. False once output is lost.
    bool flush() {
        if (!output_lost_ && used_ > 0) {
            output_lost_ = !out_.write(answers_.data(), used_);
        }
        used_ = 0;
        return !output_lost_;
    }

    [[nodiscard]] bool output_lost() const noexcept { return output_lost_; }

private:
    // Reads anew once every typed byte is taken. The read may wait for
    // typing, so every answer goes out first. False at the end of the
    // input, and once output is lost.
    bool refill() {
        if (!flush()) {
            return false;
        }
        next_ = typed_.data();
        end_ = next_ + in_.read(typed_.data(), typed_.size());
        return next_ != end_;
    }
    int peek_refilling() { return refill() ? peek() : end_of_input; }
    int take_refilling() { return refill() ? take() : end_of_input; }

    ByteSource& in_;
    ByteSink& out_;
    std::array<char, std::size_t{64} * 1024> typed_{};
    const char* next_ = typed_.data();
    const char* end_ = typed_.data();
    // As large as the pipe the output layer asks for: a script answered in
    // blocks that fill it wakes its reader a quarter as often as 64 KiB
    // blocks would, which saves a tenth of the time into a pipe.
    static constexpr std::size_t answers_size = std::size_t{256} * 1024;
    std::array<char, answers_size + short_answer_room> answers_{};
    // A short answer that still fits is copied whole, padding and all: the
    // room past the block must hold a whole padded text, or the copy would
    // run into the members below.
    static_assert(sizeof(answers_) - answers_size >= sizeof(ShortAnswer::text));
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


}  // namespace

bool run_choice_loop(ByteSource& input, ByteSink& output) {
    Streams in_out(input, output);
    std::int32_t choice_loop_power = 1;
    std::int32_t num = 0;
    while (choice_loop_power != 0 && !in_out.output_lost()) {
        const Entry entry = read_number(in_out, num);
        if (entry == Entry::ended) {
            break;
        }
        if (entry == Entry::not_a_number) {
            // The text that could not be read goes, up to and including the
            // end of its line.
            in_out.answer(complaint());
            in_out.skip_line();
            continue;
        }
        if (num == 0) {
            in_out.answer("프로그램이 종료되었습니다~ :)\n\n\n");
            choice_loop_power = 0;
        } else {
            in_out.answer(answer_to(num));
        }
    }
    return in_out.flush();
}

}  // namespace pindle
