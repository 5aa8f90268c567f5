// The programs on a pseudo-terminal, typed at as a person types: reads return
// one line at a time, Enter is a carriage return, one Ctrl-D at the start of a
// line is the end of the input and the next read waits again, and the screen
// shows every line end as CR LF.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "steady_clock.hpp"

namespace {

constexpr std::string_view ctrl_d = "\x04";

// What the terminal shows for the program's text: each "\n" as CR LF.
std::string on_screen(std::string_view text) {
    std::string shown;
    for (const char byte : text) {
        if (byte == '\n') {
            shown += '\r';
        }
        shown += byte;
    }
    return shown;
}

enum class Echo { on, off };

// The terminal's kind and window, as the program finds them. A window of
// 0 columns was never set, as on a fresh pseudo-terminal.
struct Window {
    const char* term = "xterm";
    unsigned short columns = 0;
    unsigned short lines = 0;
};

// A program started on its own pseudo-terminal as its controlling terminal.
class Terminal {
public:
    Terminal(const char* path, Echo echo, Window window = {}) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            return;
        }
        const char* slave_name = ptsname(master_);
        if (slave_name == nullptr) {
            return;
        }
        const std::string slave_path(slave_name);
        // Set up before the program starts, so that nothing typed early is
        // echoed against the wish.
        const int settings_side = open(slave_path.c_str(), O_RDWR | O_NOCTTY);
        if (settings_side < 0) {
            return;
        }
        termios settings{};
        tcgetattr(settings_side, &settings);
        if (echo == Echo::off) {
            settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        }
        tcsetattr(settings_side, TCSANOW, &settings);
        const winsize size{window.lines, window.columns, 0, 0};
        ioctl(settings_side, TIOCSWINSZ, &size);
        pid_ = fork();
        if (pid_ == 0) {
            setsid();
            if (window.term == nullptr) {
                unsetenv("TERM");
            } else {
                setenv("TERM", window.term, 1);
            }
            close(settings_side);
            const int slave = open(slave_path.c_str(), O_RDWR);
            if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) {
                _exit(126);
            }
            dup2(slave, 0);
            dup2(slave, 1);
            dup2(slave, 2);
            close(slave);
            close(master_);
            execl(path, path, static_cast<char*>(nullptr));
            _exit(127);
        }
        // Kept open: with no slave side left, the master would drop what the
        // program printed last and report only the hang-up.
        slave_ = settings_side;
    }

    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    Terminal(Terminal&&) = delete;
    Terminal& operator=(Terminal&&) = delete;

    ~Terminal() {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) {
            close(master_);
        }
        if (slave_ >= 0) {
            close(slave_);
        }
    }

    [[nodiscard]] bool started() const { return pid_ > 0 && master_ >= 0; }

    void type(std::string_view keys) const {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // What the screen showed until it ends in `ending`, or what came before
    // the wait gave up (ten seconds without a byte) or the program closed
    // the terminal.
    std::string shown_until(std::string_view ending) {
        while (!screen_.ends_with(ending) && more_shown(10000)) {
        }
        std::string shown;
        shown.swap(screen_);
        return shown;
    }

    // Everything the screen shows until the program has ended.
    std::string shown_to_the_end() {
        while (more_shown(50) || status_within(0) == -1) {
            if (now_ms() > started_ms_ + 30000) {
                break;
            }
        }
        while (more_shown(50)) {
        }
        std::string shown;
        shown.swap(screen_);
        return shown;
    }

    // The exit status if the program ends within `limit`, else -1.
    int status_within(int limit_ms) {
        const long long deadline = now_ms() + limit_ms;
        while (exit_status_ == -1) {
            int status = 0;
            const pid_t ended = waitpid(pid_, &status, WNOHANG);
            if (ended == pid_) {
                pid_ = -1;
                exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else if (ended < 0 || now_ms() >= deadline) {
                break;
            } else {
                // Keep the screen drained, so that output never holds it up.
                more_shown(20);
            }
        }
        return exit_status_;
    }

private:
    bool more_shown(int wait_ms) {
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, wait_ms) <= 0) {
            return false;
        }
        std::array<char, 4096> bytes{};
        const auto count = read(master_, bytes.data(), bytes.size());
        if (count <= 0) {
            return false;
        }
        screen_.append(bytes.data(), static_cast<std::size_t>(count));
        return true;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    int slave_ = -1;
    int exit_status_ = -1;
    long long started_ms_ = now_ms();
    std::string screen_;
};

const std::string main_menu =
    "\n　　[SYSTEM] main_menu_power 작동중\n"
    "메인 메뉴입니다. 원하시는 기능을 선택하시고 숫자를 입력해주세요.\n"
    "[1]입력한 숫자만큼의 크기를 한 변으로 하는 회전 삼각형\n[2]3가지 수의 크기 비교\n"
    "[3]사칙연산 및 나머지 계산기\n[0]프로그램 종료\n";

TEST(VarnelOnATerminal, ShowsEveryPromptBeforeAnythingIsTyped) {
    Terminal varnel(VARNEL_PATH, Echo::on);
    ASSERT_TRUE(varnel.started());
    EXPECT_EQ(varnel.shown_until(on_screen("[0]프로그램 종료\n")), on_screen(main_menu));
    varnel.type("3\r");
    const std::string calculator_menu = varnel.shown_until(on_screen("돌아갑니다.\n"));
    EXPECT_TRUE(calculator_menu.starts_with("3\r\n어떤 계산기를")) << calculator_menu;
    varnel.type("4\r");
    EXPECT_EQ(varnel.shown_until(on_screen("(0은 입력 불가능)\n")),
              on_screen("4\n\n나눗셈 계산기입니다. (a / b)\n실수 a , b 를 입력하십시오.\n(0은 입력 불가능)\n"));
    // The two operands on two lines: the first line alone prints nothing.
    varnel.type("1\r");
    EXPECT_EQ(varnel.shown_until("1\r\n"), "1\r\n");
    varnel.type("3\r");
    EXPECT_EQ(varnel.shown_until(on_screen("(y : Yes, n : No)\n")),
              on_screen("3\n결과값 : 0.333333\n계속 하시겠습니까?\n(y : Yes, n : No)\n"));
    varnel.type("n\r2\r");
    EXPECT_TRUE(varnel.shown_until("a : ").ends_with(on_screen("(0은 입력 불가능)\na : ")));
    varnel.type("1\r");
    EXPECT_EQ(varnel.shown_until("b : "), "1\r\nb : ");
    varnel.type("2\r");
    EXPECT_EQ(varnel.shown_until("c : "), "2\r\nc : ");
    varnel.type("3\r");
    EXPECT_EQ(varnel.shown_until(on_screen("(y : Yes, n : No)\n")),
              on_screen("3\n1.000000 < 2.000000 < 3.000000\n∴ a < b < c 이므로, c가 가장 크고, a가 가장 작습니다.\n\n"
                        "계속 하시겠습니까?\n(y : Yes, n : No)\n"));
    varnel.type("n\r0\r");
    EXPECT_TRUE(varnel.shown_until(on_screen("종료되었습니다~ :)\n\n\n")).ends_with(on_screen(":)\n\n\n")));
    EXPECT_EQ(varnel.status_within(10000), 0);
}

// Lines typed up to a read of one kind, and the end of the screen when the
// program waits there.
struct WaitingRead {
    const char* kind;
    const char* typed;
    const char* prompt_end;
    // Typed after that prompt, when the read waits without a prompt of its
    // own; `prompt_end` is then the echo of these keys.
    const char* typed_after_prompt = "";
};

void expect_one_ctrl_d_ends(const char* path, const WaitingRead& read) {
    Terminal program(path, Echo::on);
    ASSERT_TRUE(program.started());
    program.type(read.typed);
    std::string ending = on_screen(read.prompt_end);
    std::string shown = program.shown_until(ending);
    if (*read.typed_after_prompt != '\0') {
        ASSERT_TRUE(shown.ends_with(ending)) << read.kind << ", " << shown.size() << " bytes shown";
        program.type(read.typed_after_prompt);
        ending = on_screen(read.typed_after_prompt);
        shown = program.shown_until(ending);
    }
    ASSERT_TRUE(shown.ends_with(ending)) << read.kind << ", " << shown.size() << " bytes shown";
    program.type(ctrl_d);
    EXPECT_EQ(program.status_within(10000), 0) << "one Ctrl-D at " << read.kind;
    // A prompt left open is ended, so that the shell's starts on a line of
    // its own; after a line end, or nothing printed, nothing is added.
    const std::string_view printed_last(read.prompt_end);
    EXPECT_EQ(program.shown_to_the_end(), printed_last.empty() || printed_last.ends_with('\n') ? "" : "\r\n")
        << read.kind;
}

TEST(VarnelOnATerminal, OneCtrlDEndsItAtEveryKindOfRead) {
    const std::vector<WaitingRead> reads = {
        {"the main menu", "", "[0]프로그램 종료\n"},
        {"the side length", "1\r", "를 입력해주세요.\n"},
        {"a rotation command", "1\r3\r", "메인 메뉴로 복귀)\n"},
        {"a", "2\r", "a : "},
        {"b", "2\r1\r", "b : "},
        {"c", "2\r1\r2\r", "c : "},
        {"the comparison's continue question", "2\r1\r2\r3\r", "(y : Yes, n : No)\n"},
        {"the comparison's question after a complaint", "2\r1\r2\r3\rq\r", "hooou~!\n\n"},
        {"the calculator's menu", "3\r", "돌아갑니다.\n"},
        {"the first operand", "3\r1\r", "(0은 입력 불가능)\n"},
        {"the second operand", "3\r1\r", "(0은 입력 불가능)\n", "5\n"},
        {"the calculator's continue question", "3\r1\r5 6\r", "(y : Yes, n : No)\n"},
    };
    for (const WaitingRead& read : reads) {
        expect_one_ctrl_d_ends(VARNEL_PATH, read);
    }
}

TEST(PindleOnATerminal, OneCtrlDEndsItBeforeAndAfterAnswers) {
    for (const WaitingRead& read : {WaitingRead{"the first number", "", ""}, WaitingRead{"a number", "1\r", "1번\n"},
                                    WaitingRead{"a line after junk", "1 x 2\r", ":(\n"}}) {
        expect_one_ctrl_d_ends(PINDLE_PATH, read);
    }
}

TEST(VarnelOnATerminal, CtrlDAfterPartOfALineDeliversThePart) {
    Terminal varnel(VARNEL_PATH, Echo::on);
    ASSERT_TRUE(varnel.started());
    varnel.shown_until(on_screen("[0]프로그램 종료\n"));
    varnel.type("1");
    varnel.type(ctrl_d);
    EXPECT_EQ(varnel.status_within(300), -1) << "the program ended";
    varnel.type("\r");
    const std::string shown = varnel.shown_until(on_screen("를 입력해주세요.\n"));
    EXPECT_TRUE(shown.ends_with(on_screen("menu_1_power 작동중\n생성하고자 하는 삼각형의 한 변의 길이 (양의 정수) 를 입력해주세요.\n")))
        << shown;
    // At a one-character read too.
    varnel.type("2\r");
    varnel.shown_until(on_screen("메인 메뉴로 복귀)\n"));
    varnel.type("x");
    varnel.type(ctrl_d);
    EXPECT_EQ(varnel.status_within(300), -1) << "the program ended";
    varnel.type("\r");
    EXPECT_TRUE(varnel.shown_until(on_screen("[0]프로그램 종료\n")).ends_with(on_screen(main_menu)));
    varnel.type(ctrl_d);
    EXPECT_EQ(varnel.status_within(10000), 0);
}

TEST(PindleOnATerminal, CtrlDAfterPartOfALineDeliversThePart) {
    Terminal pindle(PINDLE_PATH, Echo::off);
    ASSERT_TRUE(pindle.started());
    pindle.type("2");
    pindle.type(ctrl_d);
    // The 2 may go on with more digits, so it is not answered yet.
    EXPECT_EQ(pindle.status_within(300), -1) << "the program ended";
    pindle.type("1\r");
    EXPECT_EQ(pindle.shown_until(on_screen(":(\n")), on_screen("1,2,0 중 하나만 입력해주세요... :(\n"));
    pindle.type("2");
    pindle.type(ctrl_d);
    pindle.type(ctrl_d);
    EXPECT_EQ(pindle.status_within(10000), 0);
    EXPECT_EQ(pindle.shown_to_the_end(), on_screen("2번\n"));
}

std::string contents(const std::string& path) {
    std::string text;
    const int file = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(file, 0) << path;
    std::array<char, 4096> block{};
    for (ssize_t got = 0; file >= 0 && (got = ::read(file, block.data(), block.size())) > 0;) {
        text.append(block.data(), static_cast<std::size_t>(got));
    }
    if (file >= 0) {
        ::close(file);
    }
    return text;
}

// What a shell command prints on its standard output; `input`, if any, is
// its standard input.
std::string output_of(const std::string& command, std::string_view input = {}) {
    std::array<char, 32> input_path{"/tmp/terminal_test.XXXXXX"};
    const int input_file = mkstemp(input_path.data());
    EXPECT_GE(input_file, 0);
    EXPECT_EQ(write(input_file, input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(input_file);
    FILE* output = popen((command + " < " + input_path.data()).c_str(), "r");
    std::string text;
    std::array<char, 4096> bytes{};
    std::size_t count = 0;
    while (output != nullptr && (count = std::fread(bytes.data(), 1, bytes.size(), output)) > 0) {
        text.append(bytes.data(), count);
    }
    EXPECT_TRUE(output != nullptr && pclose(output) == 0) << command;
    unlink(input_path.data());
    return text;
}

// A transcript's expected output in the build's encoding.
std::string expected_output(const std::string& path) {
    const std::string encoding = TRANSCRIPT_ENCODING;
    return encoding == "UTF-8" ? contents(path) : output_of("iconv -f UTF-8 -t " + encoding + " '" + path + "'");
}

// The transcript names in a directory: NAME for every NAME.in.
std::vector<std::string> transcript_names(const std::string& directory) {
    std::vector<std::string> names;
    DIR* listing = opendir(directory.c_str());
    while (listing != nullptr) {
        const dirent* entry = readdir(listing);
        if (entry == nullptr) {
            closedir(listing);
            break;
        }
        const std::string_view file = entry->d_name;
        if (file.ends_with(".in")) {
            names.emplace_back(directory + "/" + std::string(file.substr(0, file.size() - 3)));
        }
    }
    return names;
}

// Input a terminal delivers unchanged: no carriage return (Enter's own key,
// turned into a line end) and no other control key.
bool typeable(std::string_view input) {
    for (const char byte : input) {
        const auto code = static_cast<unsigned char>(byte);
        if ((code < 0x20 && byte != '\n') || code == 0x7F) {
            return false;
        }
    }
    return true;
}

// The screen's bytes without the moves that place the cell after a triangle
// cell (CR, ESC [ columns C): the plain bytes that a file or pipe gets.
std::string without_placing(std::string_view shown) {
    std::string plain;
    std::size_t next = 0;
    while (next < shown.size()) {
        const std::size_t end = shown.find_first_not_of("0123456789", next + 3);
        if (shown.substr(next).starts_with("\r\x1b[") && end != std::string_view::npos && shown[end] == 'C' &&
            (plain.ends_with("△") || plain.ends_with("▲"))) {
            next = end + 1;
        } else {
            plain += shown[next++];
        }
    }
    return plain;
}

// Types every transcript's input (Enter for each line end, then Ctrl-D at
// the end) with echo off, so that the screen holds only the program's
// output, and compares it with the transcript.
void expect_transcripts_on_a_terminal(const char* path, const std::string& directory) {
    int compared = 0;
    for (const std::string& name : transcript_names(directory)) {
        const std::string input = contents(name + ".in");
        // A run with arguments is no dialogue to type.
        if (!typeable(input) || input.size() > 2000 || ::access((name + ".args").c_str(), F_OK) == 0) {
            continue;
        }
        std::string keys;
        for (const char byte : input) {
            keys += byte == '\n' ? '\r' : byte;
        }
        // A last line without Enter is delivered by one Ctrl-D; the next one
        // ends the input.
        keys += input.empty() || input.ends_with('\n') ? "\x04" : "\x04\x04";
        Terminal program(path, Echo::off);
        ASSERT_TRUE(program.started());
        program.type(keys);
        const std::string shown = program.shown_to_the_end();
        EXPECT_EQ(program.status_within(10000), 0) << name;
        // The program ends a line it left open, for what follows it.
        std::string expected = expected_output(name + ".out");
        if (!expected.empty() && !expected.ends_with('\n')) {
            expected += '\n';
        }
        EXPECT_EQ(without_placing(shown), on_screen(expected)) << name;
        ++compared;
    }
    EXPECT_GT(compared, 5);
}

TEST(VarnelOnATerminal, AnswersAsInTheTranscripts) {
    expect_transcripts_on_a_terminal(VARNEL_PATH, std::string(TRANSCRIPTS) + "/varnel");
}

TEST(PindleOnATerminal, AnswersAsInTheTranscripts) {
    expect_transcripts_on_a_terminal(PINDLE_PATH, std::string(TRANSCRIPTS) + "/pindle");
}

// Lines typed at the triangle tool: every side from `first` to `last`, each
// turned left three times, so that all four orientations are drawn.
std::string all_drawings(int first, int last) {
    std::string lines = "1\n";
    for (int side = first; side <= last; ++side) {
        lines += std::to_string(side) + (side < last ? "\nl\nl\nl\nR\n" : "\nl\nl\nl\nx\n0\n");
    }
    return lines;
}

std::string typed(std::string_view lines) {
    std::string keys(lines);
    std::replace(keys.begin(), keys.end(), '\n', '\r');
    return keys + std::string(ctrl_d);
}

std::string shown_at(Window window, std::string_view lines) {
    Terminal varnel(VARNEL_PATH, Echo::off, window);
    EXPECT_TRUE(varnel.started());
    varnel.type(typed(lines));
    std::string shown = varnel.shown_to_the_end();
    EXPECT_EQ(varnel.status_within(10000), 0);
    return shown;
}

// Draws `side`, then `side` + 1, in a window of `columns`: the first is to be
// placed, the second, one cell too wide, drawn plain to wrap as it would
// anyway.
void expect_placed_up_to(int side, unsigned short columns) {
    const std::string lines = all_drawings(side, side + 1);
    const std::string plain = on_screen(output_of(VARNEL_PATH, lines));
    const std::string shown = shown_at({"xterm", columns, 40}, lines);
    const std::string side_prompt = "[SYSTEM] menu_1_power 작동중";
    const std::size_t wider_side = plain.find(side_prompt, plain.find(side_prompt) + 1);
    ASSERT_NE(wider_side, std::string::npos);
    EXPECT_NE(shown, plain) << columns << " columns";
    EXPECT_TRUE(shown.ends_with(plain.substr(wider_side))) << columns << " columns";
    EXPECT_EQ(without_placing(shown), plain) << columns << " columns";
}

TEST(VarnelOnATerminal, DrawsPlainCellsWhereTheyCannotBePlaced) {
    const std::string lines = all_drawings(11, 12);
    const std::string plain = on_screen(output_of(VARNEL_PATH, lines));
    // No control sequences at a terminal that takes none.
    for (const char* term : {"dumb", "", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(shown_at({term, 100, 40}, lines), plain) << "TERM=" << (term == nullptr ? "(unset)" : term);
    }
    // 23 columns hold the 22 of side 11's widest row, not the 24 of side 12's.
    expect_placed_up_to(11, 23);
    // A window that reports 0 columns (a serial line, a pseudo-terminal never
    // sized) counts as 80.
    expect_placed_up_to(40, 0);
}

#ifdef SCREEN_MODEL
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(VarnelOnATerminal, PutsEveryCellOnItsOwnTwoColumnsWhateverTheTrianglesWidth) {
    constexpr int columns = 120;
    const std::string lines = all_drawings(1, 12);
    const std::vector<std::string> plain_lines = lines_of(output_of(VARNEL_PATH, lines));
    const std::string shown = shown_at({"xterm", columns, 0}, lines);
    // Tall enough that nothing scrolls away.
    const std::size_t screen_height = plain_lines.size() + 2;
    for (const std::string triangles : {"narrow", "wide"}) {
        // Each screen line, the right half of a two-column character left out.
        const std::vector<std::string> screen =
            lines_of(output_of(std::string(SCREEN_MODEL) + " " + std::to_string(columns) + " " +
                                   std::to_string(screen_height) + " " + triangles + " " + TRANSCRIPT_ENCODING,
                               shown));
        ASSERT_EQ(screen.size(), screen_height) << triangles;
        for (std::size_t row = 0; row < plain_lines.size(); ++row) {
            // A one-column triangle leaves the second column of its cell
            // empty before the next cell; a two-column one fills it.
            const std::string& line = plain_lines[row];
            std::string expected;
            for (std::size_t at = 0; at < line.size(); ++at) {
                expected += line[at];
                const std::string_view before = std::string_view(line).substr(0, at + 1);
                if (triangles == "narrow" && at + 1 < line.size() && (before.ends_with("△") || before.ends_with("▲"))) {
                    expected += ' ';
                }
            }
            EXPECT_EQ(screen[row], expected) << triangles << " triangles, line " << row + 1;
        }
    }
}
#endif

}  // namespace
