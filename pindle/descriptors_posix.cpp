// The descriptor calls on POSIX systems: read(), write() and poll().
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

#include "descriptors.hpp"

namespace pindle {

namespace {

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

}  // namespace

OutputDescriptor::OutputDescriptor(int number) noexcept : number_(number) {
#ifdef F_SETPIPE_SZ
    // Output into a pipe goes faster when the pipe holds a few of our
    // 64 KiB blocks: the writer and the reader switch less often. A pipe
    // only ever grows, and where the output is no pipe, or the system says
    // no, nothing changes.
    constexpr int pipe_size = 256 * 1024;
    const int current_size = ::fcntl(number, F_GETPIPE_SZ);
    if (current_size > 0 && current_size < pipe_size) {
        static_cast<void>(::fcntl(number, F_SETPIPE_SZ, pipe_size));
    }
#endif
}

long OutputDescriptor::write_some(const char* bytes, std::size_t count) const noexcept {
    return static_cast<long>(::write(number_, bytes, count));
}

void wait_until_writable(int descriptor) noexcept {
    pollfd output{descriptor, POLLOUT, 0};
    while (::poll(&output, 1, -1) < 0 && errno == EINTR) {
    }
}

int close_file_descriptor(int descriptor) noexcept {
    return ::close(descriptor);
}

long read_some(int descriptor, char* bytes, std::size_t count) noexcept {
    return static_cast<long>(::read(descriptor, bytes, count));
}

int wait_for_input(int input, int output) noexcept {
    // An output with no reader left reports an error here; a closed one is
    // no descriptor at all. A failed poll leaves the decision to the read.
    std::array<pollfd, 2> watched{pollfd{input, POLLIN, 0}, pollfd{output, 0, 0}};
    int ready = 0;
    do {
        ready = ::poll(watched.data(), watched.size(), -1);
    } while (ready < 0 && errno == EINTR);
    const auto output_events = ready > 0 ? static_cast<unsigned>(watched[1].revents) : 0U;
    if ((output_events & static_cast<unsigned>(POLLNVAL)) != 0) {
        return EBADF;
    }
    if ((output_events & static_cast<unsigned>(POLLERR | POLLHUP)) != 0) {
        return error_of_a_write_without_reader(output);
    }
    return 0;
}

}  // namespace pindle
