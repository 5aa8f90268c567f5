// The terminal of the WebAssembly build, as its host tells: whether a
// descriptor is the page's terminal (in a browser) or a terminal at all
// (under Node.js), and that terminal's width.
#include "terminal.hpp"

extern "C" int web_host_is_terminal(int descriptor);
extern "C" unsigned web_host_columns(int descriptor);

namespace varnel::terminal_platform {

bool places_cells_on(int descriptor) noexcept {
    return web_host_is_terminal(descriptor) != 0;
}

std::uint32_t window_columns(int descriptor) noexcept {
    return web_host_columns(descriptor);
}

}  // namespace varnel::terminal_platform
