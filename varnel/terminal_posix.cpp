// The terminal on POSIX systems: isatty() and the window's size.
#include <sys/ioctl.h>
#include <unistd.h>

#include "terminal.hpp"

namespace varnel::terminal_platform {

bool places_cells_on(int descriptor) noexcept {
    return ::isatty(descriptor) == 1;
}

std::uint32_t window_columns(int descriptor) noexcept {
    winsize window{};
    if (::ioctl(descriptor, TIOCGWINSZ, &window) == 0) {
        return window.ws_col;
    }
    return 0;
}

}  // namespace varnel::terminal_platform
