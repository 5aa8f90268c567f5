// The console every dialogue talks through: messages go out through one
// fixed buffer, typed bytes come in through another, one at a time. The
// output buffer is handed to the sink when it is full, at the end, and
// whenever the input buffer has to be refilled, the moment the program may
// wait for typing: every message is on the terminal before that, and
// answers to input already at hand go out in large blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "byte_streams.hpp"
#include "terminal.hpp"

namespace varnel {

// Whether a dialogue can go on. `stop` means the input has ended or the
// output is lost; every loop then unwinds back to the caller of the menu.
enum class [[nodiscard]] Flow { go_on, stop };

// One value for a "%d" or "%f" of a message. Whole numbers and real numbers
// are both held exactly as a double: that is the width "%f" prints at.
class FormatArg {
public:
    // Implicit, so that a message's values stand in a plain braced list.
    // cppcheck-suppress noExplicitConstructor
    FormatArg(std::int32_t whole) noexcept : value_(whole) {}  // NOLINT(google-explicit-constructor)
    // cppcheck-suppress noExplicitConstructor
    FormatArg(float real) noexcept : value_(real) {}  // NOLINT(google-explicit-constructor)
    [[nodiscard]] double value() const noexcept { return value_; }

private:
    double value_;
};

class Console {
public:
    static constexpr std::size_t buffer_size = std::size_t{64} * 1024;
    static constexpr int end_of_input = -1;

    // `terminal` is the terminal the output shows on, if any.
    Console(ByteSource& input, ByteSink& output, Terminal terminal = {}) noexcept;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    ~Console() = default;
    Console(Console&&) = delete;
    Console& operator=(Console&&) = delete;

    // Prints a message: "%d" takes a whole number, "%f" a real number with
    // six decimals, "%%" is one percent sign; everything else is copied.
    void print(std::string_view format, std::initializer_list<FormatArg> args = {});

    // Appends bytes as they are.
    void write(std::string_view bytes) {
        if (bytes.size() <= buffer_.size() - used_) {
            std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
        } else {
            write_through_full_buffer(bytes);
        }
    }

    // Appends `count` copies of a cell, taken in bulk from `run`, which holds
    // nothing but copies of that cell.
    void write_cells(std::string_view run, std::size_t cell_size, std::uint64_t count);

    [[nodiscard]] const Terminal& terminal() const noexcept { return terminal_; }

    // Hands everything buffered to the output. False once output is lost.
    bool flush();
    [[nodiscard]] bool output_lost() const noexcept { return output_lost_; }

    // Ends the last line the program left open, where a person watches a
    // terminal, so that what comes after the program starts at the left
    // margin. Files and pipes get nothing.
    void end_open_line();

    // The next typed byte (0..255) or end_of_input, without taking it. Lost
    // output ends the input too: nobody would see the answers.
    int peek() { return bytes_at_hand() ? static_cast<unsigned char>(*next_) : peek_refilling(); }
    // Takes the next typed byte (0..255) or returns end_of_input.
    int take() { return bytes_at_hand() ? static_cast<unsigned char>(*next_++) : take_refilling(); }
    // Gives back a byte taken by mistake; at most two wait at once.
    void put_back(char byte);

private:
    // Whether the next byte can be had at once: nothing given back waits,
    // output is not lost and the input buffer holds unread bytes.
    [[nodiscard]] bool bytes_at_hand() const noexcept {
        return put_back_count_ == 0 && !output_lost_ && next_ != end_;
    }
    void write_through_full_buffer(std::string_view bytes);
    // The rest of peek() and take(): bytes given back, or a refill.
    int peek_refilling();
    int take_refilling();
    // Flushes, then reads into the empty input buffer. False at the end of
    // the input, and once output is lost.
    bool refill();

    ByteSource& input_;
    ByteSink& output_;
    Terminal terminal_;
    std::array<char, buffer_size> buffer_{};
    std::size_t used_ = 0;
    // The last byte handed to the output, or a line feed before the first.
    char last_flushed_ = '\n';
    std::array<char, buffer_size> typed_{};
    const char* next_ = typed_.data();
    const char* end_ = typed_.data();
    std::array<char, 2> put_back_{};
    std::size_t put_back_count_ = 0;
    bool output_lost_ = false;
};

}  // namespace varnel
