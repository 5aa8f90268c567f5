// The programs as a user at a terminal meets them: every message must be on
// the screen while the program waits, before anything is typed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <string>
#include <string_view>

#include "steady_clock.hpp"

namespace {

// How a session's standard streams are set up.
struct Wiring {
    bool non_blocking_input = false;
    bool non_blocking_output = false;
    // A socket that keeps every write() apart, instead of a pipe.
    bool output_counts_writes = false;
    // Input already waiting in the pipe when the program starts.
    std::string_view typed_ahead{};
    // Whether the program starts with SIGPIPE ignored, as a parent may leave
    // it, or at its default action.
    bool sigpipe_ignored = false;
    // A size the output pipe is given before the program starts, if any.
    int output_pipe_size = 0;
};

// A running program with a pipe to its input, one from its output and one
// from its standard error.
class Session {
public:
    explicit Session(const char* path, Wiring wiring = {}) {
        std::array<int, 2> to_program{};
        std::array<int, 2> from_program{};
        std::array<int, 2> errors{};
        const bool opened = pipe(to_program.data()) == 0 && pipe(errors.data()) == 0 &&
                            (wiring.output_counts_writes
                                 ? socketpair(AF_UNIX, SOCK_SEQPACKET, 0, from_program.data()) == 0
                                 : pipe(from_program.data()) == 0);
        if (!opened) {
            return;
        }
        if (write(to_program[1], wiring.typed_ahead.data(), wiring.typed_ahead.size()) !=
            static_cast<ssize_t>(wiring.typed_ahead.size())) {
            return;
        }
        if (wiring.non_blocking_input) {
            fcntl(to_program[0], F_SETFL, fcntl(to_program[0], F_GETFL) | O_NONBLOCK);
        }
#ifdef F_SETPIPE_SZ
        if (wiring.output_pipe_size > 0 && fcntl(from_program[1], F_SETPIPE_SZ, wiring.output_pipe_size) < 0) {
            return;
        }
#else
        if (wiring.output_pipe_size > 0) {
            return;
        }
#endif
        if (wiring.non_blocking_output) {
            fcntl(from_program[1], F_SETFL, fcntl(from_program[1], F_GETFL) | O_NONBLOCK);
        }
        pid_ = fork();
        if (pid_ == 0) {
            signal(SIGPIPE, wiring.sigpipe_ignored ? SIG_IGN : SIG_DFL);
            dup2(to_program[0], 0);
            dup2(from_program[1], 1);
            dup2(errors[1], 2);
            close(to_program[1]);
            close(from_program[0]);
            close(errors[0]);
            execl(path, path, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(to_program[0]);
        close(from_program[1]);
        close(errors[1]);
        input_ = to_program[1];
        output_ = from_program[0];
        errors_ = errors[0];
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    Session(Session&&) = delete;
    Session& operator=(Session&&) = delete;

    ~Session() {
        if (input_ >= 0) {
            close(input_);
        }
        if (output_ >= 0) {
            close(output_);
        }
        if (errors_ >= 0) {
            close(errors_);
        }
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    [[nodiscard]] bool started() const { return pid_ > 0 && input_ >= 0; }

    // Everything printed until the output ends in `ending`, or what came
    // before the wait gave up (ten seconds without a byte: a correct program
    // answers within milliseconds).
    std::string printed_until(std::string_view ending) {
        std::string printed;
        while (!printed.ends_with(ending)) {
            const auto count = read_once(output_, printed, 10000);
            if (count <= 0) {
                break;
            }
            ++reads_;
        }
        return printed;
    }

    // How many reads printed_until() made: on a socket that keeps writes
    // apart, the number of write() calls the program made.
    [[nodiscard]] int reads() const { return reads_; }

    // What the program said on standard error, once it has closed it.
    std::string complaints() {
        std::string said;
        while (read_once(errors_, said, 10000) > 0) {
        }
        return said;
    }

    // The size of the pipe from the program, where the system tells it, and
    // how much of it is filled.
#ifdef F_GETPIPE_SZ
    [[nodiscard]] int output_pipe_size() const { return fcntl(output_, F_GETPIPE_SZ); }
#endif
    [[nodiscard]] int output_waiting() const {
        int waiting = -1;
        return ioctl(output_, FIONREAD, &waiting) == 0 ? waiting : -1;
    }

    // Closes our end of the program's output: the reader goes away.
    void stop_reading() {
        close(output_);
        output_ = -1;
    }

    // The exit status if the program ends within `limit`, else -1; the input
    // stays open.
    int status_within(int limit_ms) {
        const long long deadline = now_ms() + limit_ms;
        while (now_ms() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            sleep_ms(10);
        }
        return -1;
    }

    void type(std::string_view text) const {
        ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // The exit status once the input is closed and the output read to its end.
    int finish() {
        close(input_);
        input_ = -1;
        printed_until("\x04never printed");
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    // One read of what is there (after up to `wait_ms` of waiting), appended
    // to `text`; the count, 0 at the end, or -1 when nothing came.
    static long read_once(int descriptor, std::string& text, int wait_ms) {
        pollfd ready{descriptor, POLLIN, 0};
        if (poll(&ready, 1, wait_ms) <= 0) {
            return -1;
        }
        std::array<char, 128 * 1024> bytes{};
        const auto count = read(descriptor, bytes.data(), bytes.size());
        if (count > 0) {
            text.append(bytes.data(), static_cast<std::size_t>(count));
        }
        return count;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int errors_ = -1;
    int reads_ = 0;
};

TEST(Varnel, EveryPromptIsShownBeforeTheAnswerIsTyped) {
    Session varnel(VARNEL_PATH);
    ASSERT_TRUE(varnel.started());
    EXPECT_EQ(varnel.printed_until("[0]프로그램 종료\n"),
              "\n　　[SYSTEM] main_menu_power 작동중\n"
              "메인 메뉴입니다. 원하시는 기능을 선택하시고 숫자를 입력해주세요.\n"
              "[1]입력한 숫자만큼의 크기를 한 변으로 하는 회전 삼각형\n[2]3가지 수의 크기 비교\n"
              "[3]사칙연산 및 나머지 계산기\n[0]프로그램 종료\n");
    varnel.type("2\n");
    EXPECT_EQ(varnel.printed_until("a : "), "실수 a, b, c를 순서대로 입력해주세오.\n(0은 입력 불가능)\na : ");
    varnel.type("3\n");
    EXPECT_EQ(varnel.printed_until("b : "), "b : ");
    varnel.type("1\n2\n");
    EXPECT_EQ(varnel.printed_until("(y : Yes, n : No)\n"),
              "c : 1.000000 < 2.000000 < 3.000000\n∴ b < c < a 이므로, a가 가장 크고, b가 가장 작습니다.\n\n"
              "계속 하시겠습니까?\n(y : Yes, n : No)\n");
    varnel.type("n\n1\n2\n");
    const std::string drawing = varnel.printed_until("메인 메뉴로 복귀)\n");
    EXPECT_NE(drawing.find("0˚\n\n△\n▲▲\n\n"), std::string::npos) << drawing;
    varnel.type("x\n0\n");
    EXPECT_EQ(varnel.finish(), 0);
}

TEST(Pindle, EveryAnswerIsShownBeforeTheNextNumberIsTyped) {
    Session pindle(PINDLE_PATH);
    ASSERT_TRUE(pindle.started());
    pindle.type("1\n");
    EXPECT_EQ(pindle.printed_until("1번\n"), "1번\n");
    pindle.type("2 7\n");
    EXPECT_EQ(pindle.printed_until(":(\n"), "2번\n1,2,0 중 하나만 입력해주세요... :(\n");
    pindle.type("0\n");
    EXPECT_EQ(pindle.printed_until("\n\n\n"), "프로그램이 종료되었습니다~ :)\n\n\n");
    EXPECT_EQ(pindle.finish(), 0);
}

// A script of `passes` runs through every tool, then 0.
std::string varnel_script(int passes) {
    std::string script;
    for (int pass = 0; pass < passes; ++pass) {
        script += "1\n3\nl\nx\n2\n3\n1\n2\nn\n3\n1\n7 2\nn\n";
    }
    return script + "0\n";
}

std::string pindle_script(int blocks) {
    std::string script;
    for (int block = 0; block < blocks; ++block) {
        script += "1\n2\n7\nabc\n1 2 1\n-5\n2x\n\n  2\n9 1 2\n";
    }
    return script + "0\n";
}

// The output of a script that is all at hand when the program starts goes
// out in full buffers: one write() for what comes before the first read, one
// per 64 KiB after it, and one at the end.
void expect_writes_in_blocks(const char* path, const std::string& script, std::string_view last_words,
                             int prompts) {
    Session program(path, Wiring{.output_counts_writes = true, .typed_ahead = script});
    ASSERT_TRUE(program.started());
    const std::string printed = program.printed_until(last_words);
    ASSERT_TRUE(printed.ends_with(last_words)) << printed.size() << " bytes printed";
    const auto most = static_cast<int>(printed.size() / (64 * 1024)) + 2;
    EXPECT_LE(program.reads(), most) << printed.size() << " bytes in " << program.reads() << " writes, for "
                                     << prompts << " reads of the script";
    EXPECT_GT(prompts, 10 * most) << "the script is too short to tell";
}

TEST(Varnel, AScriptAtHandIsAnsweredInLargeBlocks) {
    expect_writes_in_blocks(VARNEL_PATH, varnel_script(400), "종료되었습니다~ :)\n\n\n", 400 * 13 + 1);
}

TEST(Pindle, AScriptAtHandIsAnsweredInLargeBlocks) {
    expect_writes_in_blocks(PINDLE_PATH, pindle_script(400), "종료되었습니다~ :)\n\n\n", 400 * 10 + 1);
}

TEST(Varnel, ANonBlockingInputThatGetsItsLinesLateIsAnsweredInFull) {
    Session varnel(VARNEL_PATH, Wiring{.non_blocking_input = true});
    ASSERT_TRUE(varnel.started());
    std::string printed = varnel.printed_until("[0]프로그램 종료\n");
    for (const char* line : {"3\n", "1\n", "7\n", "2\n", "n\n", "0\n"}) {
        sleep_ms(30);
        varnel.type(line);
    }
    printed += varnel.printed_until("종료되었습니다~ :)\n\n\n");
    EXPECT_NE(printed.find("결과값 : 9.000000\n계속 하시겠습니까?"), std::string::npos) << printed;
    EXPECT_TRUE(printed.ends_with("[0]프로그램 종료\n프로그램이 깔끔하게 종료되었습니다~ :)\n\n\n"));
    EXPECT_EQ(varnel.finish(), 0);
}

TEST(Pindle, ANonBlockingInputThatGetsItsLinesLateIsAnsweredInFull) {
    Session pindle(PINDLE_PATH, Wiring{.non_blocking_input = true});
    ASSERT_TRUE(pindle.started());
    std::string printed;
    for (const char* line : {"1\n", "x 2\n", "2 0\n"}) {
        sleep_ms(30);
        pindle.type(line);
    }
    printed += pindle.printed_until("\n\n\n");
    EXPECT_EQ(printed, "1번\n1,2,0 중 하나만 입력해주세요... :(\n2번\n프로그램이 종료되었습니다~ :)\n\n\n");
    EXPECT_EQ(pindle.finish(), 0);
}

TEST(Varnel, ANonBlockingOutputThatFillsUpLosesNothing) {
    const std::string_view script = "1\n400\nl\nl\nl\nx\n0\n";
    Session blocking(VARNEL_PATH, Wiring{.typed_ahead = script});
    Session non_blocking(VARNEL_PATH, Wiring{.non_blocking_output = true, .typed_ahead = script});
    ASSERT_TRUE(blocking.started() && non_blocking.started());
#ifdef F_GETPIPE_SZ
    // Full: the program's first, short write left less than a page free.
    const auto full = [&] {
        return non_blocking.output_waiting() > non_blocking.output_pipe_size() - sysconf(_SC_PAGESIZE);
    };
#else
    const auto full = [&] { return non_blocking.output_waiting() > 0; };
#endif
    // The pipe fills while nobody reads: within milliseconds, ten seconds
    // allowed.
    for (const long long deadline = now_ms() + 10000; !full() && now_ms() < deadline;) {
        sleep_ms(10);
    }
    ASSERT_TRUE(full()) << "the pipe did not fill: " << non_blocking.output_waiting() << " bytes in it";
    const std::string expected = blocking.printed_until(":)\n\n\n");
    const std::string printed = non_blocking.printed_until(":)\n\n\n");
    EXPECT_GT(expected.size(), 600000U) << "more than the pipe holds";
    EXPECT_TRUE(printed == expected) << printed.size() << " bytes instead of " << expected.size();
    EXPECT_EQ(non_blocking.finish(), 0);
    EXPECT_EQ(non_blocking.complaints(), "");
}

// A reader that goes away while the program waits for more typing: the
// program must end at once, not when its input ends, as a write into the
// pipe would end it: by SIGPIPE, or where that is ignored with a write error.
void expect_end_when_the_reader_goes(const char* path, std::string_view typed, std::string_view shown,
                                     std::string_view name) {
    for (const bool ignored : {false, true}) {
        Session program(path, Wiring{.sigpipe_ignored = ignored});
        ASSERT_TRUE(program.started());
        program.type(typed);
        ASSERT_TRUE(program.printed_until(shown).ends_with(shown));
        program.stop_reading();
        EXPECT_EQ(program.status_within(10000), ignored ? 1 : 128 + SIGPIPE) << "SIGPIPE ignored: " << ignored;
        EXPECT_EQ(program.complaints(), ignored ? std::string(name) + ": write error: Broken pipe\n" : "");
    }
}

TEST(Varnel, EndsAtOnceWhenItsReaderGoesAwayDuringACommandRead) {
    expect_end_when_the_reader_goes(VARNEL_PATH, "1\n3\n", "메인 메뉴로 복귀)\n", "varnel");
}

TEST(Pindle, EndsAtOnceWhenItsReaderGoesAwayDuringARead) {
    expect_end_when_the_reader_goes(PINDLE_PATH, "1\n", "1번\n", "pindle");
}

#ifdef F_SETPIPE_SZ
// A pipe its owner made larger than the programs would ask for keeps its
// size.
TEST(BothPrograms, LeaveALargerOutputPipeAsItIs) {
    constexpr int owners_size = 1024 * 1024;
    for (const char* path : {VARNEL_PATH, PINDLE_PATH}) {
        Session program(path, Wiring{.typed_ahead = "0\n", .output_pipe_size = owners_size});
        ASSERT_TRUE(program.started()) << path;
        EXPECT_EQ(program.finish(), 0) << path;
        EXPECT_EQ(program.output_pipe_size(), owners_size) << path;
    }
}
#endif

}  // namespace
