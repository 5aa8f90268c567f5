// pindle: answers numbered choices typed on standard input until 0.
#include <cstring>
#include <string_view>

#include "choice_loop.hpp"
#include "standard_streams.hpp"

namespace {

constexpr std::string_view usage =
    "사용법: pindle [--help | --version] [--]\n"
    "안내 문구 없이 숫자를 읽어 1 과 2 에 답하고, 다른 입력에는 안내를 보여 주며,\n0 에서 끝납니다.\n"
    "인자 없이 실행하면 표준 입력으로 대화합니다. 자세한 설명: man -L ko pindle\n"
    "\n"
    "Usage: pindle [--help | --version] [--]\n"
    "Reads numbers without any prompt, answers 1 and 2, complains about anything\nelse and ends on 0.\n"
    "Run without arguments, it talks through standard input and output.\n"
    "The manual page tells all: man pindle\n"
    "\n"
    "  --help     이 도움말을 보이고 끝냅니다 / show this help and exit\n"
    "  --version  버전을 보이고 끝냅니다 / show the version and exit\n";

constexpr std::string_view version = "pindle " PINDLE_VERSION "\n";

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
bool print_and_close(pindle::FileDescriptorOutput& output, std::string_view text) {
    const bool written = output.write(text.data(), text.size());
    output.close_descriptor();
    return written && output.error_number() == 0;
}

}  // namespace

int main(int argument_count, char** arguments) {
    pindle::FileDescriptorOutput output(1);
    const CommandLine command_line = read_command_line(argument_count, arguments);
    if (command_line.refused != nullptr) {
        pindle::tell_standard_error({"pindle: ", command_line.unknown ? "unknown" : "extra", " argument '",
                                     command_line.refused, "'; see 'pindle --help'\n"});
        return 2;
    }
    if (!command_line.option.empty()) {
        if (!print_and_close(output, command_line.option == "--help" ? usage : version)) {
            pindle::tell_standard_error({"pindle: write error: ", std::strerror(output.error_number()), "\n"});
            return 1;
        }
        return 0;
    }
    pindle::FileDescriptorInput input(0, output);
    const bool written = pindle::run_choice_loop(input, output);
    output.close_descriptor();
    // A lost output makes the input look ended, so it is the error to report.
    if (!written || output.error_number() != 0) {
        pindle::tell_standard_error({"pindle: write error: ", std::strerror(output.error_number()), "\n"});
        return 1;
    }
    if (input.error_number() != 0) {
        pindle::tell_standard_error({"pindle: read error: ", std::strerror(input.error_number()), "\n"});
        return 1;
    }
    return 0;
}
