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

FileDescriptorInput::int_type FileDescriptorInput::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    long received = 0;
    do {
        received = read_some(descriptor_, buffer_.data(), buffer_.size());
    } while (received < 0 && errno == EINTR);
    // A read error ends the input just as the end of a file does.
    if (received <= 0) {
        return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + received);
    return traits_type::to_int_type(*gptr());
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
        } else if (errno != EINTR) {
            error_number_ = errno;
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
