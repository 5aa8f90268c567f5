// The calls on descriptors whose workings differ from one platform to the
// next, behind one declaration each. Every platform has a file of its own
// that defines them all, and the build compiles the one it targets:
// descriptors_posix.cpp (Linux and the like), descriptors_windows.cpp (a
// Windows console in either code page, files and pipes) and
// descriptors_browser.cpp (the host of the WebAssembly build). What a
// platform keeps of an output descriptor between writes is its own too:
// the class OutputDescriptor, in the header the build names
// (descriptors_posix.hpp, descriptors_windows.hpp, descriptors_browser.hpp).
#pragma once

#include <cstddef>

#include DESCRIPTORS_PLATFORM_HEADER

namespace pindle {

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
// has gone away. Answers 0 where the output is not known to be gone, or
// the errno that a write into it would meet now: EBADF for a descriptor
// not open, EIO for a terminal that hung up, EPIPE for a pipe or socket
// without a reader. In that last case it first raises SIGPIPE, as the
// write would: unless the signal is ignored or blocked, the process ends
// there.
int wait_for_input(int input, int output) noexcept;

}  // namespace pindle
