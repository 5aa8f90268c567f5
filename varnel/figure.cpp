#include "figure.hpp"

#include <array>

namespace varnel {

namespace {

constexpr std::size_t cell_size = EDGE.size();
static_assert(APEX.size() == cell_size && BLANK.size() == cell_size,
              "every cell must take the same number of bytes");

// Cells copied per call: long rows go out in a few large copies.
constexpr std::size_t run_cells = 8192;

using CellRun = std::array<char, run_cells * cell_size>;

constexpr CellRun make_run(std::string_view cell) {
    CellRun run{};
    for (std::size_t i = 0; i < run.size(); ++i) {
        run[i] = cell[i % cell_size];
    }
    return run;
}

constexpr CellRun edge_run = make_run(EDGE);
constexpr CellRun blank_run = make_run(BLANK);

class FigureWriter {
public:
    // With `placing`, the cell after a triangle cell is first moved to its
    // own two columns: the terminal may have drawn the triangle one column
    // wide. The ideographic space is two columns wide everywhere.
    FigureWriter(Console& console, bool placing) noexcept : console_(console), placing_(placing) {}

    void edges(std::uint64_t count) {
        if (!placing_) {
            console_.write_cells(as_view(edge_run), cell_size, count);
            cell_ += count;
            return;
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            edge();
        }
    }
    void blanks(std::uint64_t count) {
        if (count > 0) {
            place_after_triangle();
            console_.write_cells(as_view(blank_run), cell_size, count);
            cell_ += count;
        }
    }
    void apex() { triangle(APEX); }
    void edge() { triangle(EDGE); }

    // A row of `count` cells (1 or more) that crosses the outline twice:
    // edge, blanks, edge; a single cell is one edge.
    void hollow_row(std::uint64_t count) {
        edge();
        if (count > 1) {
            blanks(count - 2);
            edge();
        }
    }

    // A new line starts at its first column: nothing is left to place.
    void newline() {
        console_.write("\n");
        cell_ = 0;
        after_triangle_ = false;
    }

    // Ends a line. Stop once output is lost: the rest of a huge drawing would
    // only be thrown away.
    Flow end_line() {
        newline();
        return console_.output_lost() ? Flow::stop : Flow::go_on;
    }

    void label(std::string_view text) { console_.print(text); }

private:
    static std::string_view as_view(const CellRun& run) { return {run.data(), run.size()}; }

    void triangle(std::string_view cell) {
        place_after_triangle();
        console_.write(cell);
        ++cell_;
        after_triangle_ = placing_;
    }

    // Moves the cursor to the next cell's first column, 2 * cell columns from
    // the line's start, when a triangle cell came before it. The last cell of
    // a line is never followed by a move.
    void place_after_triangle() {
        if (!after_triangle_) {
            return;
        }
        after_triangle_ = false;
        // Carriage return, then cursor forward (ESC [ n C): moves every
        // terminal since the VT100 takes, unlike the absolute column, which
        // some terminal descriptions lack. A triangle came before, so n is 2
        // or more (ESC [ 0 C would move one column). Only rows that fit the
        // window are placed, so n fits a whole number.
        console_.print("\r\x1b[%dC", {static_cast<std::int32_t>(2 * cell_)});
    }

    Console& console_;
    const bool placing_;
    // Cells written on the current line so far.
    std::uint64_t cell_ = 0;
    // Whether the last thing written was a triangle cell still to be placed
    // after.
    bool after_triangle_ = false;
};

// Right angle bottom left, apex at the top of the left leg. Row 0 holds no
// cell, and the base stands on a line of its own after the last row.
Flow draw_0(FigureWriter& figure, std::uint64_t side) {
    figure.label("0˚\n");
    for (std::uint64_t row = 0; row < side; ++row) {
        if (row == 1) {
            figure.apex();
        } else if (row >= 2) {
            figure.hollow_row(row);
        }
        if (row == side - 1) {
            figure.newline();
            figure.edges(side);
        }
        if (figure.end_line() == Flow::stop) {
            return Flow::stop;
        }
    }
    return figure.end_line();
}

// Right angle top left, apex at the right end of the top leg.
Flow draw_90(FigureWriter& figure, std::uint64_t side) {
    figure.label("90˚\n");
    for (std::uint64_t row = 0; row < side; ++row) {
        if (row == 0) {
            figure.edges(side - 1);
            figure.apex();
        } else {
            figure.hollow_row(side - row);
        }
        if (figure.end_line() == Flow::stop) {
            return Flow::stop;
        }
    }
    return figure.end_line();
}

// Right angle top right, apex at the bottom of the right leg. No empty line
// follows this figure.
Flow draw_180(FigureWriter& figure, std::uint64_t side) {
    figure.label("180˚\n");
    for (std::uint64_t row = 0; row < side; ++row) {
        if (row == 0) {
            figure.edges(side);
        } else {
            figure.blanks(row);
            if (row == side - 1) {
                figure.apex();
            } else {
                figure.hollow_row(side - row);
            }
        }
        if (figure.end_line() == Flow::stop) {
            return Flow::stop;
        }
    }
    return Flow::go_on;
}

// Right angle bottom right, apex at the left end of the bottom leg.
Flow draw_270(FigureWriter& figure, std::uint64_t side) {
    figure.label("270˚\n");
    for (std::uint64_t row = 0; row < side; ++row) {
        figure.blanks(side - row - 1);
        if (row < side - 1) {
            figure.hollow_row(row + 1);
        } else {
            figure.apex();
            figure.edges(side - 1);
        }
        if (figure.end_line() == Flow::stop) {
            return Flow::stop;
        }
    }
    return figure.end_line();
}

}  // namespace

Flow draw_triangle(Console& console, std::int32_t side, Orientation orientation) {
    if (side < 1) {
        return Flow::go_on;
    }
    const auto cells = static_cast<std::uint64_t>(side);
    // Every orientation's widest row holds `side` cells.
    FigureWriter figure(console, console.terminal().places(cells));
    switch (orientation) {
        case Orientation::degrees_0:
            return draw_0(figure, cells);
        case Orientation::degrees_90:
            return draw_90(figure, cells);
        case Orientation::degrees_180:
            return draw_180(figure, cells);
        case Orientation::degrees_270:
            return draw_270(figure, cells);
    }
    return Flow::go_on;
}

}  // namespace varnel
