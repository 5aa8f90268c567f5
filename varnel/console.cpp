#include "console.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace varnel {

namespace {

using Traits = std::streambuf::traits_type;

// Room for the longest "%f" of a float: 39 integer digits, sign, point, six
// decimals.
constexpr std::size_t number_text_size = 64;

}  // namespace

Console::Console(std::streambuf& input, std::streambuf& output, Terminal terminal) noexcept
    : input_(input), output_(output), terminal_(terminal) {}

void Console::print(std::string_view format, std::initializer_list<FormatArg> args) {
    const auto* next_arg = args.begin();
    while (!format.empty()) {
        const auto percent = format.find('%');
        write(format.substr(0, percent));
        if (percent == std::string_view::npos || percent + 1 == format.size()) {
            return;
        }
        const char directive = format[percent + 1];
        format.remove_prefix(percent + 2);
        if (directive == '%') {
            write("%");
            continue;
        }
        if (next_arg == args.end()) {
            continue;
        }
        const double value = next_arg->value();
        ++next_arg;
        std::array<char, number_text_size> text{};
        std::to_chars_result written{};
        if (directive == 'd') {
            written = std::to_chars(text.data(), text.data() + text.size(), static_cast<std::int32_t>(value));
        } else {
#ifdef __cpp_lib_to_chars
            // Exactly rounded like the C library's "%f", in every locale.
            written = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 6);
#else
            // A C++ library without floating-point to_chars (the browser
            // build's): its C library's "%f" is exactly rounded, and its
            // locale is always "C".
            const int length = std::snprintf(text.data(), text.size(), "%.6f", value);
            written.ptr = text.data() + std::clamp(length, 0, static_cast<int>(text.size()) - 1);
#endif
        }
        write(std::string_view(text.data(), static_cast<std::size_t>(written.ptr - text.data())));
    }
}

void Console::write_through_full_buffer(std::string_view bytes) {
    while (!bytes.empty()) {
        if (used_ == buffer_.size() && !flush()) {
            return;
        }
        const std::size_t chunk = std::min(bytes.size(), buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, bytes.data(), chunk);
        used_ += chunk;
        bytes.remove_prefix(chunk);
    }
}

void Console::write_cells(std::string_view run, std::size_t cell_size, std::uint64_t count) {
    const std::uint64_t cells_in_run = run.size() / cell_size;
    while (count > 0 && !output_lost_) {
        const std::uint64_t cells = std::min(count, cells_in_run);
        write(run.substr(0, static_cast<std::size_t>(cells) * cell_size));
        count -= cells;
    }
}

bool Console::flush() {
    if (!output_lost_ && used_ > 0) {
        const auto wanted = static_cast<std::streamsize>(used_);
        output_lost_ = output_.sputn(buffer_.data(), wanted) != wanted;
    }
    used_ = 0;
    return !output_lost_;
}

bool Console::ready_to_read() {
    // in_avail() is 0 or less exactly when the next look refills the input.
    if (!output_lost_ && input_.in_avail() <= 0) {
        static_cast<void>(flush());
    }
    return !output_lost_;
}

int Console::peek_refilling() {
    if (put_back_count_ > 0) {
        return static_cast<unsigned char>(put_back_[put_back_count_ - 1]);
    }
    if (!ready_to_read()) {
        return end_of_input;
    }
    // A stream buffer hands out bytes as 0..255 already.
    const auto byte = input_.sgetc();
    return Traits::eq_int_type(byte, Traits::eof()) ? end_of_input : byte;
}

int Console::take_refilling() {
    if (put_back_count_ > 0) {
        --put_back_count_;
        return static_cast<unsigned char>(put_back_[put_back_count_]);
    }
    if (!ready_to_read()) {
        return end_of_input;
    }
    const auto byte = input_.sbumpc();
    return Traits::eq_int_type(byte, Traits::eof()) ? end_of_input : byte;
}

void Console::put_back(char byte) {
    if (put_back_count_ < put_back_.size()) {
        put_back_[put_back_count_] = byte;
        ++put_back_count_;
    }
}

}  // namespace varnel
