#include "standard_streams.hpp"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace pindle {

namespace {

long read_some(int descriptor, char* bytes, std::size_t count) {
#ifdef _WIN32
    return _read(descriptor, bytes, static_cast<unsigned>(count));
#else
    return static_cast<long>(::read(descriptor, bytes, count));
#endif
}

long write_some(int descriptor, const char* bytes, std::size_t count) {
#ifdef _WIN32
    return _write(descriptor, bytes, static_cast<unsigned>(count));
#else
    return static_cast<long>(::write(descriptor, bytes, count));
#endif
}

// Interrupted, or a descriptor left non-blocking by whoever started us.
bool try_again(int error_number) {
    return error_number == EINTR || error_number == EAGAIN || error_number == EWOULDBLOCK;
}

}  // namespace

FileDescriptorOutput::FileDescriptorOutput(int descriptor) noexcept : descriptor_(descriptor) {
#ifdef F_SETPIPE_SZ
    // A pipe that holds a few of our blocks lets the reader take one while
    // the next is written. Where the output is no pipe, nothing changes.
    constexpr int pipe_size = 256 * 1024;
    static_cast<void>(::fcntl(descriptor_, F_SETPIPE_SZ, pipe_size));
#endif
}

void FileDescriptorOutput::mark_lost(int error_number) noexcept {
    if (error_number_ == 0) {
        error_number_ = error_number;
    }
}

std::streamsize FileDescriptorOutput::xsputn(const char* bytes, std::streamsize count) {
    std::streamsize written = 0;
    while (written < count && error_number_ == 0) {
        const long result = write_some(descriptor_, bytes + written, static_cast<std::size_t>(count - written));
        if (result > 0) {
            written += result;
        } else if (result == 0) {
            error_number_ = EIO;
        } else if (!try_again(errno)) {
            error_number_ = errno;
        } else if (errno != EINTR) {
#ifndef _WIN32
            // A descriptor left non-blocking: wait until it takes more.
            pollfd writable{descriptor_, POLLOUT, 0};
            while (::poll(&writable, 1, -1) < 0 && errno == EINTR) {
            }
#endif
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

bool FileDescriptorInput::wait_for_input() {
#ifndef _WIN32
    // An output with no reader left reports an error here, a closed one is
    // no descriptor; a failed poll leaves the decision to the read.
    std::array<pollfd, 2> watched{pollfd{descriptor_, POLLIN, 0}, pollfd{output_.descriptor(), 0, 0}};
    int ready = 0;
    do {
        ready = ::poll(watched.data(), watched.size(), -1);
    } while (ready < 0 && errno == EINTR);
    const auto output_events = ready > 0 ? static_cast<unsigned>(watched[1].revents) : 0U;
    if ((output_events & static_cast<unsigned>(POLLNVAL)) != 0) {
        output_.mark_lost(EBADF);
    } else if ((output_events & static_cast<unsigned>(POLLERR | POLLHUP)) != 0) {
        output_.mark_lost(EPIPE);
    }
#endif
    return output_.error_number() == 0;
}

FileDescriptorInput::int_type FileDescriptorInput::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    while (!ended_) {
        if (!wait_for_input()) {
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
