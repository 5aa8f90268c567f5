// pindle: answers numbered choices typed on standard input until 0.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "choice_loop.hpp"

int main() {
    const pindle::Outcome outcome = pindle::run_choice_loop(std::cin, std::cout);
    if (!outcome.output_lost) {
        return 0;
    }
    static_cast<void>(std::fprintf(stderr, "pindle: write error: %s\n", std::strerror(outcome.error_number)));
    return 1;
}
