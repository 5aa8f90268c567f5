#include "choice_loop.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace pindle {

namespace {

enum class Entry { number, not_a_number, ended };

bool is_space(int byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }
bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }

// Reads a decimal whole number with optional sign, leaving whatever follows
// it for the next read: several numbers on a line are answered in turn.
Entry read_number(std::istream& in, std::int32_t& num) {
    constexpr auto end = std::istream::traits_type::eof();
    while (is_space(in.peek())) {
        in.get();
    }
    int next = in.peek();
    if (next == end) {
        return Entry::ended;
    }
    bool negative = false;
    if (next == '+' || next == '-') {
        negative = in.get() == '-';
        next = in.peek();
    }
    if (!is_digit(next)) {
        return next == end ? Entry::ended : Entry::not_a_number;
    }
    // Saturates just past the range, so that overlong digits cannot overflow.
    constexpr std::int64_t beyond = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    while (is_digit(in.peek())) {
        magnitude = std::min(magnitude * 10 + (in.get() - '0'), beyond + 1);
    }
    if (magnitude > (negative ? beyond : beyond - 1)) {
        return Entry::not_a_number;
    }
    num = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return Entry::number;
}

// Throws away the text that could not be read, up to and including the end
// of its line.
void discard_line(std::istream& in) {
    constexpr auto end = std::istream::traits_type::eof();
    int byte = 0;
    do {
        byte = in.get();
    } while (byte != '\n' && byte != end);
}

// Puts the answers on the terminal before the next read waits for input.
bool flushed(std::ostream& out, Outcome& outcome) {
    out.flush();
    if (!out && !outcome.output_lost) {
        outcome = Outcome{true, errno};
    }
    return !outcome.output_lost;
}

}  // namespace

Outcome run_choice_loop(std::istream& in, std::ostream& out) {
    Outcome outcome;
    std::int32_t choice_loop_power = 1;
    std::int32_t num = 0;
    while (choice_loop_power != 0 && flushed(out, outcome)) {
        const Entry entry = read_number(in, num);
        if (entry == Entry::ended) {
            break;
        }
        if (entry == Entry::not_a_number) {
            out << "1,2,0 중 하나만 입력해주세요... :(\n";
            discard_line(in);
            continue;
        }
        switch (num) {
            case 0:
                out << "프로그램이 종료되었습니다~ :)\n\n\n";
                choice_loop_power = 0;
                break;
            case 1:
                out << "1번\n";
                break;
            case 2:
                out << "2번\n";
                break;
            default:
                out << "1,2,0 중 하나만 입력해주세요... :(\n";
                break;
        }
    }
    flushed(out, outcome);
    return outcome;
}

}  // namespace pindle
