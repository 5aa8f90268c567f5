// The descriptor calls on Windows: the C runtime's _read() and _write() in
// text mode for files and pipes, and a console written in UTF-16, which
// shows the texts whatever its code page. The texts' encoding is
// CONSOLE_CODE_PAGE: 65001 (UTF-8) or 949.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "descriptors.hpp"

namespace pindle {

namespace {

// How many of `count` bytes make whole characters of the texts' encoding;
// the rest is the start of a character cut short.
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

}  // namespace

// Writes to a console, in pieces of at most 4096 bytes; a character split
// between two writes waits for its rest.
long OutputDescriptor::write_to_console(const char* bytes, std::size_t count) noexcept {
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
        if (WriteConsoleW(console_, lines.data() + shown, static_cast<DWORD>(length - shown), &written,
                          nullptr) == 0 ||
            written == 0) {
            errno = EIO;
            return -1;
        }
        shown += written;
    }
    return static_cast<long>(taken);
}

OutputDescriptor::OutputDescriptor(int number) noexcept : number_(number) {
    void* const handle = reinterpret_cast<void*>(_get_osfhandle(number));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0) {
        console_ = handle;
    }
}

long OutputDescriptor::write_some(const char* bytes, std::size_t count) noexcept {
    if (console_ != nullptr) {
        return write_to_console(bytes, count);
    }
    // Text mode: every line ends in CR LF, as in any Windows program.
    return _write(number_, bytes, static_cast<unsigned>(count));
}

// A pipe or file written through the C runtime blocks until it is taken.
void wait_until_writable(int /*descriptor*/) noexcept {}

int close_file_descriptor(int descriptor) noexcept {
    return _close(descriptor);
}

long read_some(int descriptor, char* bytes, std::size_t count) noexcept {
    return _read(descriptor, bytes, static_cast<unsigned>(count));
}

// A reader that went away is met at the next write.
int wait_for_input(int /*input*/, int /*output*/) noexcept {
    return 0;
}

}  // namespace pindle
