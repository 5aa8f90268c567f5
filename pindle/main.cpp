// pindle: answers numbered choices typed on standard input until 0.
#include <cstdio>
#include <cstring>

#include "choice_loop.hpp"
#include "standard_streams.hpp"

int main() {
    pindle::FileDescriptorOutput output(1);
    pindle::FileDescriptorInput input(0, output);
    const bool written = pindle::run_choice_loop(input, output);
    output.close_descriptor();
    // A lost output makes the input look ended, so it is the error to report.
    if (!written || output.error_number() != 0) {
        static_cast<void>(std::fprintf(stderr, "pindle: write error: %s\n", std::strerror(output.error_number())));
        return 1;
    }
    if (input.error_number() != 0) {
        static_cast<void>(std::fprintf(stderr, "pindle: read error: %s\n", std::strerror(input.error_number())));
        return 1;
    }
    return 0;
}
