// The programs as a user at a terminal meets them: every message must be on
// the screen while the program waits, before anything is typed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <string>
#include <string_view>

namespace {

// A running program with a pipe to its input and one from its output.
class Session {
public:
    explicit Session(const char* path) {
        std::array<int, 2> to_program{};
        std::array<int, 2> from_program{};
        if (pipe(to_program.data()) != 0 || pipe(from_program.data()) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(to_program[0], 0);
            dup2(from_program[1], 1);
            close(to_program[1]);
            close(from_program[0]);
            execl(path, path, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(to_program[0]);
        close(from_program[1]);
        input_ = to_program[1];
        output_ = from_program[0];
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
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    [[nodiscard]] bool started() const { return pid_ > 0 && input_ >= 0; }

    // Everything printed until the output ends in `ending`, or what came
    // before the wait gave up (two seconds without a byte).
    std::string printed_until(std::string_view ending) {
        std::string printed;
        while (!printed.ends_with(ending)) {
            pollfd ready{output_, POLLIN, 0};
            if (poll(&ready, 1, 2000) <= 0) {
                break;
            }
            std::array<char, 4096> bytes{};
            const auto count = read(output_, bytes.data(), bytes.size());
            if (count <= 0) {
                break;
            }
            printed.append(bytes.data(), static_cast<std::size_t>(count));
        }
        return printed;
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
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
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

}  // namespace
