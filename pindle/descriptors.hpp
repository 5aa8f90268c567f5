// The calls on descriptors whose workings differ from one platform to the
// next, behind one declaration each. Every platform has a file of its own
// that defines them all, and the build compiles the one it targets:
// descriptors_posix.cpp (Linux and the like), descriptors_windows.cpp (a
// Windows console in either code page, files and pipes) and
// descriptors_browser.cpp (the host of the WebAssembly build).
#pragma once

#include <array>
#include <cstddef>

namespace pindle {

// An output descriptor, with what its platform keeps of it between writes.
struct OutputDescriptor {
    int number = -1;
    // A console that is written some other way than through the descriptor
    // (a Windows console, in UTF-16), or null.
    void* console = nullptr;
    // The start of a character that a console write cut short, kept until
    // the rest of it comes.
    std::array<char, 4> split_character{};
    std::size_t split_count = 0;
};

// Readies an output descriptor for writing: finds a console, or makes a
// pipe roomier. Nothing here can fail; what it could not do stays undone.
OutputDescriptor open_output(int descriptor) noexcept;

// One write: the count of bytes taken, or -1 with errno set.
long write_some(OutputDescriptor& output, const char* bytes, std::size_t count) noexcept;

// Waits, where the platform can, until a descriptor left non-blocking by
// whoever started the program can take more output. Should the wait fail,
// the next write says why.
void wait_until_writable(int descriptor) noexcept;

// Closes a descriptor: 0, or -1 with errno set.
int close_file_descriptor(int descriptor) noexcept;

// One read: the count of bytes read, 0 at the end of the input, or -1 with
// errno set.
long read_some(int descriptor, char* bytes, std::size_t count) noexcept;

// Waits, where the platform can, until there is input to read or `output`
// has gone away. Answers the errno that a write into `output` would meet
// now that it is gone, or 0 where it is not known to be gone.
int wait_for_input(int input, int output) noexcept;

}  // namespace pindle
