// pindle: answers numbered choices typed on standard input until 0.
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "choice_loop.hpp"
#include "standard_streams.hpp"

namespace {

// On Windows, a console on standard output shows the texts in the code page
// they are written in (CONSOLE_CODE_PAGE) while the program runs, and gets
// its own back at the end.
class ConsoleCodePage {
public:
    ConsoleCodePage() noexcept {
#ifdef _WIN32
        DWORD mode = 0;
        if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0) {
            previous_ = GetConsoleOutputCP();
            SetConsoleOutputCP(CONSOLE_CODE_PAGE);
        }
#endif
    }
    ~ConsoleCodePage() {
#ifdef _WIN32
        if (previous_ != 0) {
            SetConsoleOutputCP(previous_);
        }
#endif
    }
    ConsoleCodePage(const ConsoleCodePage&) = delete;
    ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;
    ConsoleCodePage(ConsoleCodePage&&) = delete;
    ConsoleCodePage& operator=(ConsoleCodePage&&) = delete;

#ifdef _WIN32
private:
    unsigned previous_ = 0;
#endif
};

}  // namespace

int main() {
    // Lives until the program ends: its destructor gives the console back.
    // cppcheck-suppress unusedVariable
    const ConsoleCodePage code_page;
    pindle::FileDescriptorOutput output(1);
    pindle::FileDescriptorInput input(0, output);
    // A lost output makes the input look ended, so it is the error to report.
    if (!pindle::run_choice_loop(input, output) || output.error_number() != 0) {
        static_cast<void>(std::fprintf(stderr, "pindle: write error: %s\n", std::strerror(output.error_number())));
        return 1;
    }
    if (input.error_number() != 0) {
        static_cast<void>(std::fprintf(stderr, "pindle: read error: %s\n", std::strerror(input.error_number())));
        return 1;
    }
    return 0;
}
