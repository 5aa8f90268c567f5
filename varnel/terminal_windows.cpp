// The terminal on Windows: a console gets the plain cells. Its own calls
// could place them, but Wine's console, the one the programs are tried on,
// gives every character one column, so it cannot tell whether placing helps.
#include "terminal.hpp"

namespace varnel::terminal_platform {

bool places_cells_on(int /*descriptor*/) noexcept {
    return false;
}

std::uint32_t window_columns(int /*descriptor*/) noexcept {
    return 0;
}

}  // namespace varnel::terminal_platform
