// varnel: a main menu with a rotating triangle, a three-number comparison and
// a calculator, talking through standard input and output.
#include <cstdio>
#include <cstring>

#include "main_menu.hpp"
#include "standard_streams.hpp"

int main() {
    const varnel::ConsoleCodePage code_page;
    varnel::FileDescriptorInput input(0);
    varnel::FileDescriptorOutput output(1);
    if (varnel::run_dialogue(input, output)) {
        return 0;
    }
    static_cast<void>(std::fprintf(stderr, "varnel: write error: %s\n", std::strerror(output.error_number())));
    return 1;
}
