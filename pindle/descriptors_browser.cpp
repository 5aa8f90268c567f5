// The descriptor calls of the WebAssembly build. In a browser the page's
// terminal, under Node.js the process's own descriptors: the host, a
// JavaScript library linked in, does the reads and writes. A read suspends
// the program (Asyncify) until the host has bytes.
#include <unistd.h>

#include "descriptors.hpp"

extern "C" long web_host_read(int descriptor, char* bytes, unsigned long count);
extern "C" long web_host_write(int descriptor, const char* bytes, unsigned long count);

namespace pindle {

long OutputDescriptor::write_some(const char* bytes, std::size_t count) const noexcept {
    return web_host_write(number_, bytes, count);
}

// The host answers a write only once it is taken.
void wait_until_writable(int /*descriptor*/) noexcept {}

int close_file_descriptor(int descriptor) noexcept {
    return ::close(descriptor);
}

long read_some(int descriptor, char* bytes, std::size_t count) noexcept {
    return web_host_read(descriptor, bytes, count);
}

// A browser's terminal never goes away while the program runs, and Node.js
// cannot watch a pipe's reader without writing: a reader gone is met at the
// next write.
int wait_for_input(int /*input*/, int /*output*/) noexcept {
    return 0;
}

}  // namespace pindle
