#include "terminal.hpp"

#include <cstring>

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
    const bool takes_control_sequences = term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
    terminal.watched_ = terminal_platform::places_cells_on(descriptor);
    if (takes_control_sequences && terminal.watched_) {
        terminal.descriptor_ = descriptor;
    }
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
    if (const std::uint32_t width = terminal_platform::window_columns(descriptor_); width > 0) {
        return width;
    }
    return unknown_width;
}

}  // namespace varnel
