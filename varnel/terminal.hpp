// The terminal a dialogue is shown on, as far as the triangle cares.
// Terminals differ in how wide they draw "△" and "▲": two columns at a
// console set to code page 949 or where ambiguous-width characters are wide,
// one column almost everywhere else, while the ideographic space is two
// columns wide on every terminal. At a terminal the figure therefore moves
// the cursor to each cell's own two columns after a triangle cell; files and
// pipes get the plain cells.
#pragma once

#include <cstdint>

namespace varnel {

// What the platform tells of a terminal; each platform's file defines
// these (terminal_posix.cpp, terminal_windows.cpp, terminal_browser.cpp).
namespace terminal_platform {

// Whether `descriptor` is a terminal a person watches, on which the cells
// may be placed.
bool places_cells_on(int descriptor) noexcept;

// The width of the terminal's window in columns now, or 0 where it tells
// none.
std::uint32_t window_columns(int descriptor) noexcept;

}  // namespace terminal_platform

class Terminal {
public:
    // No terminal, or one that takes no control sequences: cells are never
    // placed.
    Terminal() noexcept = default;

    // Standard output's terminal, decided once at start from its descriptor
    // and the TERM of the environment: unset, empty or "dumb" means a
    // terminal without control sequences, such as an editor's shell buffer.
    static Terminal of_output(int descriptor, const char* term) noexcept;

    // A terminal whose window is always `columns` wide, for a caller that
    // draws on a screen of its own.
    static Terminal of_width(std::uint32_t columns) noexcept;

    // Whether a drawing whose widest row has `cells` cells is to be placed
    // cell by cell: only at a terminal, and only where the row fits in the
    // window as it is now. A row that wraps is left alone, since absolute
    // columns on a wrapped line would draw over its start.
    [[nodiscard]] bool places(std::uint64_t cells) const noexcept;

    // Whether the output is a terminal a person watches, whatever TERM
    // says: there the cursor stays where the program leaves it, and what
    // comes after the program should start on a line of its own. Not at a
    // Windows console, where the Ctrl-Z and Enter that end the input have
    // moved to a fresh line already.
    [[nodiscard]] bool is_watched() const noexcept { return watched_; }

private:
    // The window's width in columns now.
    [[nodiscard]] std::uint32_t columns() const noexcept;

    // The terminal's descriptor, or -1.
    int descriptor_ = -1;
    // A fixed width, or 0 where the window is asked.
    std::uint32_t fixed_columns_ = 0;
    bool watched_ = false;
};

}  // namespace varnel
