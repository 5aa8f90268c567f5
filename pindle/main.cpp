// pindle: answers numbered choices typed on standard input until 0.
#include <cstdio>
#include <cstring>
#include <iostream>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "choice_loop.hpp"

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
    const pindle::Outcome outcome = pindle::run_choice_loop(std::cin, std::cout);
    if (!outcome.output_lost) {
        return 0;
    }
    static_cast<void>(std::fprintf(stderr, "pindle: write error: %s\n", std::strerror(outcome.error_number)));
    return 1;
}
