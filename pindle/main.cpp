// pindle: answers numbered choices typed on standard input until 0.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "choice_loop.hpp"
#include "standard_streams.hpp"

namespace {

constexpr std::string_view usage =
    "사용법: pindle [--help | --version]\n"
    "안내 문구 없이 숫자를 읽어 1 과 2 에 답하고, 다른 입력에는 안내를 보여 주며,\n0 에서 끝납니다.\n"
    "인자 없이 실행하면 표준 입력으로 대화합니다. 자세한 설명: man -L ko pindle\n"
    "\n"
    "Usage: pindle [--help | --version]\n"
    "Reads numbers without any prompt, answers 1 and 2, complains about anything\nelse and ends on 0.\n"
    "Run without arguments, it talks through standard input and output.\n"
    "The manual page tells all: man pindle\n"
    "\n"
    "  --help     이 도움말을 보이고 끝냅니다 / show this help and exit\n"
    "  --version  버전을 보이고 끝냅니다 / show the version and exit\n";

constexpr std::string_view version = "pindle " PINDLE_VERSION "\n";

// Prints `text` and closes the output; false when either fails.
bool print_and_close(pindle::FileDescriptorOutput& output, std::string_view text) {
    const auto size = static_cast<std::streamsize>(text.size());
    const bool written = output.sputn(text.data(), size) == size;
    output.close_descriptor();
    return written && output.error_number() == 0;
}

}  // namespace

int main(int argument_count, char** arguments) {
    pindle::FileDescriptorOutput output(1);
    // The one argument taken is --help or --version; any other is refused
    // before the dialogue starts.
    if (argument_count > 1) {
        const std::string_view first = arguments[1];
        const bool first_is_known = first == "--help" || first == "--version";
        if (argument_count > 2 || !first_is_known) {
            // The first argument that is not taken: the second, after a known one.
            const char* const refused = first_is_known ? arguments[2] : arguments[1];
            static_cast<void>(std::fprintf(stderr, "pindle: unknown argument '%s'; see 'pindle --help'\n", refused));
            return 2;
        }
        if (!print_and_close(output, first == "--help" ? usage : version)) {
            static_cast<void>(std::fprintf(stderr, "pindle: write error: %s\n", std::strerror(output.error_number())));
            return 1;
        }
        return 0;
    }
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
