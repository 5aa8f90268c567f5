#include "standard_streams.hpp"

#include <cerrno>

namespace pindle {

namespace {

// Whether a failed call only asks to be made again: interrupted, or on a
// descriptor left non-blocking by whoever started the program.
bool try_again(int error_number) {
    return error_number == EINTR || error_number == EAGAIN || error_number == EWOULDBLOCK;
}

}  // namespace

FileDescriptorOutput::FileDescriptorOutput(int descriptor) noexcept : output_(open_output(descriptor)) {}

void FileDescriptorOutput::mark_lost(int error_number) noexcept {
    if (error_number_ == 0) {
        error_number_ = error_number;
    }
}

void FileDescriptorOutput::close_descriptor() noexcept {
    if (close_file_descriptor(output_.number) != 0 && errno != EBADF) {
        mark_lost(errno);
    }
}

std::streamsize FileDescriptorOutput::xsputn(const char* bytes, std::streamsize count) {
    std::streamsize written = 0;
    while (written < count && error_number_ == 0) {
        const long result = write_some(output_, bytes + written, static_cast<std::size_t>(count - written));
        if (result > 0) {
            written += result;
        } else if (result == 0) {
            error_number_ = EIO;
        } else if (!try_again(errno)) {
            error_number_ = errno;
        } else if (errno != EINTR) {
            wait_until_writable(output_.number);
        }
    }
    return written;
}

FileDescriptorOutput::int_type FileDescriptorOutput::overflow(int_type byte) {
    if (traits_type::eq_int_type(byte, traits_type::eof())) {
        return traits_type::not_eof(byte);
    }
    const char single = traits_type::to_char_type(byte);
    return xsputn(&single, 1) == 1 ? byte : traits_type::eof();
}

FileDescriptorInput::int_type FileDescriptorInput::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    while (!ended_) {
        // Waiting for input is pointless once the output is lost.
        if (const int lost = wait_for_input(descriptor_, output_.descriptor()); lost != 0) {
            output_.mark_lost(lost);
        }
        if (output_.error_number() != 0) {
            ended_ = true;
            break;
        }
        const long received = read_some(descriptor_, buffer_.data(), buffer_.size());
        if (received > 0) {
            setg(buffer_.data(), buffer_.data(), buffer_.data() + received);
            return traits_type::to_int_type(*gptr());
        }
        if (received == 0) {
            ended_ = true;
        } else if (!try_again(errno)) {
            error_number_ = errno;
            ended_ = true;
        }
    }
    return traits_type::eof();
}

}  // namespace pindle
