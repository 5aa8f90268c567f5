#include "terminal.hpp"

#ifdef __EMSCRIPTEN__
#include <cstring>

// The host, a JavaScript library linked in: whether a descriptor is the
// page's terminal (in a browser) or a terminal at all (under Node.js), and
// that terminal's width in columns, 0 where it tells none.
extern "C" int web_host_is_terminal(int descriptor);
extern "C" unsigned web_host_columns(int descriptor);
#elif !defined(_WIN32)
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#endif

namespace varnel {

namespace {

// The width assumed where a terminal does not tell its own, as on a
// pseudo-terminal whose window was never set: the classic 80 columns.
constexpr std::uint32_t unknown_width = 80;

// Each cell takes two columns.
constexpr std::uint64_t columns_per_cell = 2;

}  // namespace

Terminal Terminal::of_output(int descriptor, const char* term) noexcept {
    Terminal terminal;
#ifdef _WIN32
    // A Windows console gets the plain cells. Its own calls could place
    // them, but Wine's console, the one the programs are tried on, gives
    // every character one column, so it cannot tell whether placing helps.
    static_cast<void>(descriptor);
    static_cast<void>(term);
#else
    const bool takes_control_sequences = term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
#ifdef __EMSCRIPTEN__
    const bool is_terminal = web_host_is_terminal(descriptor) != 0;
#else
    const bool is_terminal = ::isatty(descriptor) == 1;
#endif
    if (takes_control_sequences && is_terminal) {
        terminal.descriptor_ = descriptor;
    }
#endif
    return terminal;
}

Terminal Terminal::of_width(std::uint32_t columns) noexcept {
    Terminal terminal;
    terminal.fixed_columns_ = columns;
    return terminal;
}

bool Terminal::places(std::uint64_t cells) const noexcept {
    if (descriptor_ < 0 && fixed_columns_ == 0) {
        return false;
    }
    return cells <= columns() / columns_per_cell;
}

std::uint32_t Terminal::columns() const noexcept {
    if (fixed_columns_ != 0) {
        return fixed_columns_;
    }
#ifdef __EMSCRIPTEN__
    if (const unsigned width = web_host_columns(descriptor_); width > 0) {
        return width;
    }
#elif !defined(_WIN32)
    winsize window{};
    if (::ioctl(descriptor_, TIOCGWINSZ, &window) == 0 && window.ws_col > 0) {
        return window.ws_col;
    }
#endif
    return unknown_width;
}

}  // namespace varnel
