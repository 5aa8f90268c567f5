// varnel: a main menu with a rotating triangle, a three-number comparison and
// a calculator, talking through standard input and output.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "main_menu.hpp"
#include "standard_streams.hpp"
#include "terminal.hpp"

namespace {

constexpr std::string_view usage =
    "사용법: varnel [--help | --version] [--]\n"
    "한국어로 대화하는 메인 메뉴에서 회전하는 삼각형, 세 수의 크기 비교, 사칙연산과\n나머지 계산기를 고릅니다.\n"
    "인자 없이 실행하면 표준 입력으로 대화합니다. 자세한 설명: man -L ko varnel\n"
    "\n"
    "Usage: varnel [--help | --version] [--]\n"
    "A Korean console menu of three tools: a rotating triangle, a comparison of\nthree numbers and a calculator.\n"
    "Run without arguments, it talks through standard input and output.\n"
    "The manual page tells all: man varnel\n"
    "\n"
    "  --help     이 도움말을 보이고 끝냅니다 / show this help and exit\n"
    "  --version  버전을 보이고 끝냅니다 / show the version and exit\n";

constexpr std::string_view version = "varnel " VARNEL_VERSION "\n";

// What the command line asks for: at most one of --help and --version, and
// "--", which ends the options, as for every POSIX utility. Nothing else is
// taken.
struct CommandLine {
    // "--help" or "--version"; empty for the dialogue.
    std::string_view option;
    // The first argument not taken, or null.
    const char* refused = nullptr;
    // Whether it was refused as an option unknown here, not as one argument
    // too many.
    bool unknown = false;
};

CommandLine read_command_line(int argument_count, char** arguments) {
    CommandLine line;
    bool options_ended = false;
    for (int index = 1; index < argument_count; ++index) {
        const std::string_view argument = arguments[index];
        if (!options_ended && argument == "--") {
            options_ended = true;
            continue;
        }
        const bool known = !options_ended && (argument == "--help" || argument == "--version");
        if (known && line.option.empty()) {
            line.option = argument;
            continue;
        }
        line.refused = arguments[index];
        line.unknown = !options_ended && !known && argument.size() > 1 && argument.front() == '-';
        break;
    }
    return line;
}

// Prints `text` and closes the output; false when either fails.
bool print_and_close(varnel::FileDescriptorOutput& output, std::string_view text) {
    const bool written = output.write(text.data(), text.size());
    output.close_descriptor();
    return written && output.error_number() == 0;
}

}  // namespace

int main(int argument_count, char** arguments) {
    varnel::FileDescriptorOutput output(1);
    const CommandLine command_line = read_command_line(argument_count, arguments);
    if (command_line.refused != nullptr) {
        varnel::tell_standard_error({"varnel: ", command_line.unknown ? "unknown" : "extra", " argument '",
                                     command_line.refused, "'; see 'varnel --help'\n"});
        return 2;
    }
    if (!command_line.option.empty()) {
        if (!print_and_close(output, command_line.option == "--help" ? usage : version)) {
            varnel::tell_standard_error({"varnel: write error: ", std::strerror(output.error_number()), "\n"});
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
        varnel::tell_standard_error({"varnel: write error: ", std::strerror(output.error_number()), "\n"});
        return 1;
    }
    if (input.error_number() != 0) {
        varnel::tell_standard_error({"varnel: read error: ", std::strerror(input.error_number()), "\n"});
        return 1;
    }
    return 0;
}
