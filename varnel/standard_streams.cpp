#include "standard_streams.hpp"

#include <cerrno>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace varnel {

namespace {

// One read or write call; -1 with errno set on failure.
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

// Whether a failed call only asks to be made again: interrupted, or on a
// descriptor left non-blocking by whoever started the program.
bool worth_retrying(int error_number) {
    return error_number == EINTR || error_number == EAGAIN || error_number == EWOULDBLOCK;
}

#ifndef _WIN32
// Waits until a descriptor left non-blocking can take more output. Should the
// wait fail, the next write says why.
void wait_until_writable(int descriptor) {
    pollfd output{descriptor, POLLOUT, 0};
    while (::poll(&output, 1, -1) < 0 && errno == EINTR) {
    }
}
#endif

// Writes are split so that a count always fits the platform's call.
constexpr std::size_t largest_write = 1U << 30U;

}  // namespace

FileDescriptorOutput::FileDescriptorOutput(int descriptor) noexcept : descriptor_(descriptor) {
#ifdef F_SETPIPE_SZ
    // A drawing into a pipe goes about twice as fast when the pipe holds a
    // few of our 64 KiB blocks: the writer and the reader switch less often.
    // Where the output is no pipe, or the system says no, nothing changes.
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
        const auto wanted = static_cast<std::size_t>(count - written);
        const long result = write_some(descriptor_, bytes + written, wanted < largest_write ? wanted : largest_write);
        if (result > 0) {
            written += result;
        } else if (result == 0) {
            error_number_ = EIO;
        } else if (!worth_retrying(errno)) {
            error_number_ = errno;
        } else if (errno != EINTR) {
#ifndef _WIN32
            wait_until_writable(descriptor_);
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
#ifdef _WIN32
    return output_.error_number() == 0;
#else
    // An output with no reader left reports an error here; a closed one is
    // no descriptor at all. A failed poll leaves the decision to the read.
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
    return output_.error_number() == 0;
#endif
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
        } else if (!worth_retrying(errno)) {
            error_number_ = errno;
            ended_ = true;
        }
    }
    return traits_type::eof();
}

ConsoleCodePage::ConsoleCodePage() noexcept {
#ifdef _WIN32
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0) {
        previous_ = GetConsoleOutputCP();
        SetConsoleOutputCP(CONSOLE_CODE_PAGE);
    }
#endif
}

ConsoleCodePage::~ConsoleCodePage() {
#ifdef _WIN32
    if (previous_ != 0) {
        SetConsoleOutputCP(previous_);
    }
#endif
}

}  // namespace varnel
