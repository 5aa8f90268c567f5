// varnel: a main menu with a rotating triangle, a three-number comparison and
// a calculator, talking through standard input and output.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "main_menu.hpp"
#include "standard_streams.hpp"
#include "terminal.hpp"

int main() {
    varnel::FileDescriptorOutput output(1);
    varnel::FileDescriptorInput input(0, output);
    // TERM only ever turns the placing of the triangle's cells off.
    const varnel::Terminal terminal = varnel::Terminal::of_output(1, std::getenv("TERM"));
    const bool written = varnel::run_dialogue(input, output, terminal);
    output.close_descriptor();
    // A lost output makes the input look ended, so it is the error to report.
    if (!written || output.error_number() != 0) {
        static_cast<void>(std::fprintf(stderr, "varnel: write error: %s\n", std::strerror(output.error_number())));
        return 1;
    }
    if (input.error_number() != 0) {
        static_cast<void>(std::fprintf(stderr, "varnel: read error: %s\n", std::strerror(input.error_number())));
        return 1;
    }
    return 0;
}
