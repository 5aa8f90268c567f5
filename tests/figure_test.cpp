// The fast figure writer against a plain cell-by-cell rendering of the
// drawing rules, and the choice of drawing from the rotation counter.
#include "figure.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "input_rules.hpp"
#include "memory_streams.hpp"
#include "triangle_tool.hpp"

namespace varnel {
namespace {

std::string drawn(std::int32_t side, Orientation orientation, Terminal terminal = {}) {
    MemorySource input("");
    MemorySink output;
    Console console(input, output, terminal);
    EXPECT_EQ(draw_triangle(console, side, orientation), Flow::go_on);
    EXPECT_TRUE(console.flush());
    return output.text();
}

// The drawing rules, one cell at a time, as plainly as they can be put.
std::string rendered_cell_by_cell(int side, Orientation orientation) {
    const std::string apex(APEX);
    const std::string edge(EDGE);
    const std::string blank(BLANK);
    std::string out;
    const int last = side - 1;
    switch (orientation) {
        case Orientation::degrees_0:
            out += "0˚\n";
            for (int i = 0; i < side; ++i) {
                for (int j = 0; j < i; ++j) {
                    out += (j == 0 && i == 1) ? apex : (j == 0 || j == i - 1) ? edge : blank;
                }
                if (i == last) {
                    out += "\n";
                    for (int j = 0; j < side; ++j) {
                        out += edge;
                    }
                }
                out += "\n";
            }
            out += "\n";
            break;
        case Orientation::degrees_90:
            out += "90˚\n";
            for (int i = 0; i < side; ++i) {
                if (i == 0) {
                    for (int j = 0; j < side; ++j) {
                        out += (j == last) ? apex : edge;
                    }
                } else {
                    for (int j = 0; j <= side - i - 1; ++j) {
                        out += (j == 0 || j == side - i - 1) ? edge : blank;
                    }
                }
                out += "\n";
            }
            out += "\n";
            break;
        case Orientation::degrees_180:
            out += "180˚\n";
            for (int i = 0; i < side; ++i) {
                if (i == 0) {
                    for (int j = 0; j < side; ++j) {
                        out += edge;
                    }
                } else {
                    for (int j = 0; j < i; ++j) {
                        out += blank;
                    }
                    for (int k = 0; k <= side - i - 1; ++k) {
                        if (k == 0 || k == side - i - 1) {
                            out += (k == 0 && i == last) ? apex : edge;
                        } else {
                            out += blank;
                        }
                    }
                }
                out += "\n";
            }
            break;
        case Orientation::degrees_270:
            out += "270˚\n";
            for (int i = 0; i < side; ++i) {
                for (int j = 0; j < side - i - 1; ++j) {
                    out += blank;
                }
                if (i < last) {
                    for (int k = 0; k <= i; ++k) {
                        out += (k == 0 || k == i) ? edge : blank;
                    }
                } else {
                    out += apex;
                    for (int k = 0; k < side - 1; ++k) {
                        out += edge;
                    }
                }
                out += "\n";
            }
            out += "\n";
            break;
    }
    return out;
}

constexpr Orientation all_orientations[] = {Orientation::degrees_0, Orientation::degrees_90, Orientation::degrees_180,
                                            Orientation::degrees_270};

TEST(Figure, MatchesTheCellByCellRulesForSidesUpTo40) {
    for (const Orientation orientation : all_orientations) {
        for (int side = 1; side <= 40; ++side) {
            ASSERT_EQ(drawn(side, orientation), rendered_cell_by_cell(side, orientation))
                << "side " << side << ", orientation " << static_cast<int>(orientation);
        }
    }
}

TEST(Figure, LongRowsMatchTooWhenTheyOutgrowTheBuffer) {
    // The first rows of 8500 cells are longer than a prepared run of edges
    // or blanks (8192 cells), and many rows cross the end of the console's
    // 64 KiB buffer.
    constexpr int side = 8500;
    const std::string fast = drawn(side, Orientation::degrees_90);
    const std::string plain = rendered_cell_by_cell(side, Orientation::degrees_90);
    ASSERT_EQ(fast.size(), plain.size());
    EXPECT_TRUE(fast == plain);
}

TEST(Figure, AtATerminalEveryCellAfterATriangleIsMovedToItsColumns) {
    const Terminal terminal = Terminal::of_width(80);
    EXPECT_EQ(drawn(1, Orientation::degrees_90, terminal), "90˚\n△\n\n");
    EXPECT_EQ(drawn(3, Orientation::degrees_270, terminal), "270˚\n　　▲\n　▲\r\x1b[4C▲\n△\r\x1b[2C▲\r\x1b[4C▲\n\n");
    EXPECT_EQ(drawn(3, Orientation::degrees_0, terminal), "0˚\n\n△\n▲\r\x1b[2C▲\n▲\r\x1b[2C▲\r\x1b[4C▲\n\n");
    EXPECT_EQ(drawn(4, Orientation::degrees_180, terminal),
              "180˚\n▲\r\x1b[2C▲\r\x1b[4C▲\r\x1b[6C▲\n　▲\r\x1b[4C　▲\n　　▲\r\x1b[6C▲\n　　　△\n");
    // 80 columns hold the 40 cells of side 40's widest row, not side 41's.
    EXPECT_NE(drawn(40, Orientation::degrees_90, terminal), drawn(40, Orientation::degrees_90));
    EXPECT_EQ(drawn(41, Orientation::degrees_90, terminal), drawn(41, Orientation::degrees_90));
}

TEST(Figure, NoLineEndsInABlank) {
    const std::string blank_line_end = std::string(BLANK) + "\n";
    for (const Orientation orientation : all_orientations) {
        for (int side = 1; side <= 12; ++side) {
            EXPECT_EQ(drawn(side, orientation).find(blank_line_end), std::string::npos);
        }
    }
}

TEST(Figure, AHugeDrawingStopsOnceOutputIsLost) {
    // Without the early stop this drawing would run for hours.
    MemorySource input("");
    LimitedSink output(0);
    Console console(input, output);
    for (const Orientation orientation : all_orientations) {
        EXPECT_EQ(draw_triangle(console, std::numeric_limits<std::int32_t>::max(), orientation), Flow::stop);
    }
}

// Input that notes how many bytes the output had received each time the
// program had to wait.
class NotedInput final : public ByteSource {
public:
    NotedInput(std::string_view text, const MemorySink& output) : text_(text), output_(output) {}
    std::vector<std::size_t> received_at_wait;

    std::size_t read(char* buffer, std::size_t room) override {
        received_at_wait.push_back(output_.text().size());
        return text_.read(buffer, room);
    }

private:
    MemorySource text_;
    const MemorySink& output_;
};

TEST(Figure, EveryByteIsOutWhenTheNextReadWaits) {
    constexpr std::size_t buffer = Console::buffer_size;
    for (const Orientation orientation : all_orientations) {
        for (const int side : {1, 2, 3, 7, 40, 150, 301}) {
            const std::size_t drawing = rendered_cell_by_cell(side, orientation).size();
            // Bytes printed before the drawing, chosen so that the buffer
            // holds nothing, exactly one byte, or is exactly full when the
            // read after the drawing comes.
            for (const std::size_t left_waiting : {std::size_t{0}, std::size_t{1}, buffer}) {
                const std::size_t before = (left_waiting + buffer - drawing % buffer) % buffer;
                MemorySink output;
                NotedInput input("x\n", output);
                Console console(input, output);
                console.write(std::string(before, '.'));
                ASSERT_EQ(draw_triangle(console, side, orientation), Flow::go_on);
                char command = 0;
                ASSERT_EQ(read_character(console, command), Flow::go_on);
                ASSERT_EQ(input.received_at_wait.size(), 1U);
                EXPECT_EQ(input.received_at_wait[0], before + drawing)
                    << "side " << side << ", orientation " << static_cast<int>(orientation) << ", " << left_waiting
                    << " bytes left in the buffer";
            }
        }
    }
}

TEST(Orientation, FollowsTheCounterAQuarterTurnAtATime) {
    EXPECT_EQ(orientation_for(0), Orientation::degrees_0);
    EXPECT_EQ(orientation_for(1), Orientation::degrees_270);
    EXPECT_EQ(orientation_for(2), Orientation::degrees_180);
    EXPECT_EQ(orientation_for(3), Orientation::degrees_90);
    EXPECT_EQ(orientation_for(4), Orientation::degrees_0);
    EXPECT_EQ(orientation_for(-1), Orientation::degrees_90);
    EXPECT_EQ(orientation_for(-2), Orientation::degrees_180);
    EXPECT_EQ(orientation_for(-3), Orientation::degrees_270);
    EXPECT_EQ(orientation_for(-5), Orientation::degrees_90);
}

TEST(Orientation, StaysRightAcrossTheCountersWrap) {
    constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    // INT_MAX is 3 mod 4 and INT_MIN is 0 mod 4, so one more 'l' past INT_MAX
    // (which wraps to INT_MIN) goes on turning left.
    EXPECT_EQ(orientation_for(highest), Orientation::degrees_90);
    EXPECT_EQ(orientation_for(lowest), Orientation::degrees_0);
    EXPECT_EQ(orientation_for(lowest + 1), Orientation::degrees_270);
    EXPECT_EQ(orientation_for(highest - 1), Orientation::degrees_180);
}

}  // namespace
}  // namespace varnel
