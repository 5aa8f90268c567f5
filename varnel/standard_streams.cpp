#include "standard_streams.hpp"

#include <cerrno>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#elif defined(__EMSCRIPTEN__)
#include <unistd.h>

// In a browser the page's terminal, under Node.js the process's own
// descriptors: the host, a JavaScript library linked in, does the reads and
// writes. A read suspends the program (Asyncify) until the host has bytes.
extern "C" long web_host_read(int descriptor, char* bytes, unsigned long count);
extern "C" long web_host_write(int descriptor, const char* bytes, unsigned long count);
extern "C" int web_host_output_error(int descriptor);
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

namespace varnel {

namespace {

// Whether a failed call only asks to be made again: interrupted, or on a
// descriptor left non-blocking by whoever started the program.
bool try_again(int error_number) {
    return error_number == EINTR || error_number == EAGAIN || error_number == EWOULDBLOCK;
}

long read_some(int descriptor, char* bytes, std::size_t count) {
#ifdef _WIN32
    return _read(descriptor, bytes, static_cast<unsigned>(count));
#elif defined(__EMSCRIPTEN__)
    return web_host_read(descriptor, bytes, count);
#else
    return static_cast<long>(::read(descriptor, bytes, count));
#endif
}

#ifdef _WIN32
// How many of `count` bytes make whole characters of the texts' encoding
// (CONSOLE_CODE_PAGE); the rest is the start of a character cut short.
std::size_t whole_characters(const char* bytes, std::size_t count) {
#if CONSOLE_CODE_PAGE == 65001
    std::size_t trailing = 0;
    while (trailing < count && trailing < 3 && (static_cast<unsigned char>(bytes[count - 1 - trailing]) & 0xC0U) == 0x80U) {
        ++trailing;
    }
    if (trailing == count) {
        return count;
    }
    const auto lead = static_cast<unsigned char>(bytes[count - 1 - trailing]);
    const std::size_t length = lead >= 0xF0U ? 4 : lead >= 0xE0U ? 3 : lead >= 0xC0U ? 2 : 1;
    return trailing + 1 >= length ? count : count - trailing - 1;
#else
    // Lead and trail bytes overlap in code page 949: count from the start.
    std::size_t whole = 0;
    while (whole < count) {
        const std::size_t length = IsDBCSLeadByteEx(CONSOLE_CODE_PAGE, static_cast<BYTE>(bytes[whole])) != 0 ? 2 : 1;
        if (whole + length > count) {
            break;
        }
        whole += length;
    }
    return whole;
#endif
}
#elif !defined(__EMSCRIPTEN__)
// Waits until a descriptor left non-blocking can take more output. Should the
// wait fail, the next write says why.
void wait_until_writable(int descriptor) {
    pollfd output{descriptor, POLLOUT, 0};
    while (::poll(&output, 1, -1) < 0 && errno == EINTR) {
    }
}

// What a write into `descriptor` would meet now that poll() says nobody can
// take it: a pipe or socket without a reader raises SIGPIPE, which ends the
// program unless it is ignored or blocked, and then fails with EPIPE; a
// terminal that hung up fails with EIO.
int error_of_a_write_without_reader(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && !S_ISFIFO(status.st_mode) && !S_ISSOCK(status.st_mode)) {
        return EIO;
    }
    static_cast<void>(std::raise(SIGPIPE));
    return EPIPE;
}
#endif

}  // namespace

FileDescriptorOutput::FileDescriptorOutput(int descriptor) noexcept : descriptor_(descriptor) {
#ifdef _WIN32
    void* const handle = reinterpret_cast<void*>(_get_osfhandle(descriptor_));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0) {
        console_ = handle;
    }
#elif defined(F_SETPIPE_SZ)
    // Output into a pipe goes faster when the pipe holds a few of our
    // 64 KiB blocks: the writer and the reader switch less often. A pipe
    // only ever grows, and where the output is no pipe, or the system says
    // no, nothing changes.
    constexpr int pipe_size = 256 * 1024;
    const int current_size = ::fcntl(descriptor_, F_GETPIPE_SZ);
    if (current_size > 0 && current_size < pipe_size) {
        static_cast<void>(::fcntl(descriptor_, F_SETPIPE_SZ, pipe_size));
    }
#endif
}

void FileDescriptorOutput::mark_lost(int error_number) noexcept {
    if (error_number_ == 0) {
        error_number_ = error_number;
    }
}

void FileDescriptorOutput::close_descriptor() noexcept {
#ifdef _WIN32
    const int result = _close(descriptor_);
#else
    const int result = ::close(descriptor_);
#endif
    if (result != 0 && errno != EBADF) {
        mark_lost(errno);
    }
}

// Not const: on Windows a console write keeps a split character.
// NOLINTNEXTLINE(readability-make-member-function-const)
long FileDescriptorOutput::write_some(const char* bytes, std::size_t count) {
#ifdef _WIN32
    if (console_ != nullptr) {
        return write_to_console(bytes, count);
    }
    // Text mode: every line ends in CR LF, as in any Windows program.
    return _write(descriptor_, bytes, static_cast<unsigned>(count));
#elif defined(__EMSCRIPTEN__)
    return web_host_write(descriptor_, bytes, count);
#else
    return static_cast<long>(::write(descriptor_, bytes, count));
#endif
}

#ifdef _WIN32
long FileDescriptorOutput::write_to_console(const char* bytes, std::size_t count) {
    constexpr std::size_t piece = 4096;
    std::array<char, piece + 4> text{};
    std::array<wchar_t, piece + 4> wide{};
    // Each line break becomes CR LF on the screen too.
    std::array<wchar_t, 2 * (piece + 4)> lines{};
    std::memcpy(text.data(), split_character_.data(), split_count_);
    const std::size_t taken = std::min(count, piece);
    std::memcpy(text.data() + split_count_, bytes, taken);
    const std::size_t held = split_count_ + taken;
    const std::size_t whole = whole_characters(text.data(), held);
    split_count_ = held - whole;
    std::memcpy(split_character_.data(), text.data() + whole, split_count_);
    if (whole == 0) {
        return static_cast<long>(taken);
    }
    const int converted = MultiByteToWideChar(CONSOLE_CODE_PAGE, 0, text.data(), static_cast<int>(whole),
                                              wide.data(), static_cast<int>(wide.size()));
    if (converted <= 0) {
        errno = EILSEQ;
        return -1;
    }
    std::size_t length = 0;
    for (int i = 0; i < converted; ++i) {
        if (wide[static_cast<std::size_t>(i)] == L'\n') {
            lines[length++] = L'\r';
        }
        lines[length++] = wide[static_cast<std::size_t>(i)];
    }
    std::size_t shown = 0;
    while (shown < length) {
        DWORD written = 0;
        if (WriteConsoleW(console_, lines.data() + shown, static_cast<DWORD>(length - shown), &written, nullptr) == 0 ||
            written == 0) {
            errno = EIO;
            return -1;
        }
        shown += written;
    }
    return static_cast<long>(taken);
}
#endif

std::streamsize FileDescriptorOutput::xsputn(const char* bytes, std::streamsize count) {
    std::streamsize written = 0;
    while (written < count && error_number_ == 0) {
        const long result = write_some(bytes + written, static_cast<std::size_t>(count - written));
        if (result > 0) {
            written += result;
        } else if (result == 0) {
            error_number_ = EIO;
        } else if (!try_again(errno)) {
            error_number_ = errno;
        } else if (errno != EINTR) {
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
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
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
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
        output_.mark_lost(error_of_a_write_without_reader(output_.descriptor()));
    }
#elif defined(__EMSCRIPTEN__)
    // The host tells of an output it knows to be lost (under Node.js, a
    // descriptor the program was started without).
    const int output_error = web_host_output_error(output_.descriptor());
    if (output_error != 0) {
        output_.mark_lost(output_error);
    }
#endif
    // On Windows a reader that went away is met at the next write; a
    // browser's terminal never goes away while the program runs.
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

}  // namespace varnel
