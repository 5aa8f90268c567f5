#include "choice_loop.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace pindle {

namespace {

using Traits = std::streambuf::traits_type;

enum class Entry { number, not_a_number, ended };

bool is_space(Traits::int_type byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }
bool is_digit(Traits::int_type byte) { return byte >= '0' && byte <= '9'; }
bool is_end(Traits::int_type byte) { return Traits::eq_int_type(byte, Traits::eof()); }

// Reads a decimal whole number with optional sign, leaving whatever follows
// it for the next read: several numbers on a line are answered in turn.
Entry read_number(std::streambuf& in, std::int32_t& num) {
    while (is_space(in.sgetc())) {
        in.sbumpc();
    }
    auto next = in.sgetc();
    if (is_end(next)) {
        return Entry::ended;
    }
    bool negative = false;
    if (next == '+' || next == '-') {
        negative = in.sbumpc() == '-';
        next = in.sgetc();
    }
    if (!is_digit(next)) {
        return is_end(next) ? Entry::ended : Entry::not_a_number;
    }
    // Saturates just past the range, so that overlong digits cannot overflow.
    constexpr std::int64_t beyond = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    while (is_digit(in.sgetc())) {
        magnitude = std::min(magnitude * 10 + (in.sbumpc() - '0'), beyond + 1);
    }
    if (magnitude > (negative ? beyond : beyond - 1)) {
        return Entry::not_a_number;
    }
    num = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return Entry::number;
}

// Throws away the text that could not be read, up to and including the end
// of its line.
void discard_line(std::streambuf& in) {
    Traits::int_type byte = 0;
    do {
        byte = in.sbumpc();
    } while (byte != '\n' && !is_end(byte));
}

// False once the output takes less than it is given.
bool answer(std::streambuf& out, std::string_view text) {
    return out.sputn(text.data(), static_cast<std::streamsize>(text.size())) ==
           static_cast<std::streamsize>(text.size());
}

constexpr std::string_view complaint = "1,2,0 중 하나만 입력해주세요... :(\n";

}  // namespace

bool run_choice_loop(std::streambuf& in, std::streambuf& out) {
    std::int32_t choice_loop_power = 1;
    std::int32_t num = 0;
    bool written = true;
    while (choice_loop_power != 0 && written) {
        const Entry entry = read_number(in, num);
        if (entry == Entry::ended) {
            break;
        }
        if (entry == Entry::not_a_number) {
            written = answer(out, complaint);
            discard_line(in);
            continue;
        }
        switch (num) {
            case 0:
                written = answer(out, "프로그램이 종료되었습니다~ :)\n\n\n");
                choice_loop_power = 0;
                break;
            case 1:
                written = answer(out, "1번\n");
                break;
            case 2:
                written = answer(out, "2번\n");
                break;
            default:
                written = answer(out, complaint);
                break;
        }
    }
    return out.pubsync() == 0 && written;
}

}  // namespace pindle
