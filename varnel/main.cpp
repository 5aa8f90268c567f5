// varnel: a main menu with a rotating triangle, a three-number comparison and
// a calculator, talking through standard input and output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "main_menu.hpp"
#include "standard_streams.hpp"
#include "terminal.hpp"

namespace {

constexpr std::string_view usage =
    "사용법: varnel [--help | --version]\n"
    "한국어로 대화하는 메인 메뉴에서 회전하는 삼각형, 세 수의 크기 비교, 사칙연산과\n나머지 계산기를 고릅니다.\n"
    "인자 없이 실행하면 표준 입력으로 대화합니다. 자세한 설명: man -L ko varnel\n"
    "\n"
    "Usage: varnel [--help | --version]\n"
    "A Korean console menu of three tools: a rotating triangle, a comparison of\nthree numbers and a calculator.\n"
    "Run without arguments, it talks through standard input and output.\n"
    "The manual page tells all: man varnel\n"
    "\n"
    "  --help     이 도움말을 보이고 끝냅니다 / show this help and exit\n"
    "  --version  버전을 보이고 끝냅니다 / show the version and exit\n";

constexpr std::string_view version = "varnel " VARNEL_VERSION "\n";

// Prints `text` and closes the output; false when either fails.
bool print_and_close(varnel::FileDescriptorOutput& output, std::string_view text) {
    const auto size = static_cast<std::streamsize>(text.size());
    const bool written = output.sputn(text.data(), size) == size;
    output.close_descriptor();
    return written && output.error_number() == 0;
}

}  // namespace

int main(int argument_count, char** arguments) {
    varnel::FileDescriptorOutput output(1);
    // The one argument taken is --help or --version; any other is refused
    // before the dialogue starts.
    if (argument_count > 1) {
        const std::string_view first = arguments[1];
        const bool first_is_known = first == "--help" || first == "--version";
        if (argument_count > 2 || !first_is_known) {
            // The first argument that is not taken: the second, after a known one.
            const char* const refused = first_is_known ? arguments[2] : arguments[1];
            static_cast<void>(std::fprintf(stderr, "varnel: unknown argument '%s'; see 'varnel --help'\n", refused));
            return 2;
        }
        if (!print_and_close(output, first == "--help" ? usage : version)) {
            static_cast<void>(std::fprintf(stderr, "varnel: write error: %s\n", std::strerror(output.error_number())));
            return 1;
        }
        return 0;
    }
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
