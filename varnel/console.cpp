#include "console.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>

#include "real_number_text.hpp"

namespace varnel {

Console::Console(ByteSource& input, ByteSink& output, Terminal terminal) noexcept
    : input_(input), output_(output), terminal_(terminal) {}

void Console::print(std::string_view format, std::initializer_list<FormatArg> args) {
    const auto* next_arg = args.begin();
    while (!format.empty()) {
        const auto percent = format.find('%');
        // Views cut by hand, not by substr(): it could throw, which would
        // bring the exception machinery into the browser's module.
        write(std::string_view(format.data(), std::min(percent, format.size())));
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
        std::array<char, fixed_text_size> text{};
        if (directive == 'd') {
            const auto written = std::to_chars(text.data(), text.data() + text.size(), static_cast<std::int32_t>(value));
            // Eleven bytes always fit; should they not, no digits are
            // better than the bytes of an unwritten buffer.
            if (written.ec == std::errc{}) {
                write(std::string_view(text.data(), static_cast<std::size_t>(written.ptr - text.data())));
            }
        } else {
            const char* const end = write_fixed(text.data(), static_cast<float>(value));
            write(std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
        }
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
        write(std::string_view(run.data(), static_cast<std::size_t>(cells) * cell_size));
        count -= cells;
    }
}

bool Console::flush() {
    if (!output_lost_ && used_ > 0) {
        output_lost_ = !output_.write(buffer_.data(), used_);
        last_flushed_ = buffer_[used_ - 1];
    }
    used_ = 0;
    return !output_lost_;
}

void Console::end_open_line() {
    const char last = used_ > 0 ? buffer_[used_ - 1] : last_flushed_;
    if (terminal_.is_watched() && last != '\n') {
        write("\n");
    }
}

bool Console::refill() {
    if (next_ != end_) {
        return !output_lost_;
    }
    if (!flush()) {
        return false;
    }
    next_ = typed_.data();
    end_ = next_ + input_.read(typed_.data(), typed_.size());
    return next_ != end_ && !output_lost_;
}

int Console::peek_refilling() {
    if (put_back_count_ > 0) {
        return static_cast<unsigned char>(put_back_[put_back_count_ - 1]);
    }
    return refill() ? static_cast<unsigned char>(*next_) : end_of_input;
}

int Console::take_refilling() {
    if (put_back_count_ > 0) {
        --put_back_count_;
        return static_cast<unsigned char>(put_back_[put_back_count_]);
    }
    return refill() ? static_cast<unsigned char>(*next_++) : end_of_input;
}

void Console::put_back(char byte) {
    if (put_back_count_ < put_back_.size()) {
        put_back_[put_back_count_] = byte;
        ++put_back_count_;
    }
}

}  // namespace varnel
