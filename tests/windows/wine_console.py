#!/usr/bin/env python3
"""Types at the Windows programs on a Wine console, as a person at a terminal.

    wine_console.py WINE CONSOLE_CODE_PAGE_EXE VARNEL_EXE PINDLE_EXE

Each program runs under console_code_page.exe on a pseudo-terminal, which
Wine turns into a console. The Korean texts must show, Ctrl-Z and Enter must
end the input with status 0, and after Ctrl-C the console must be on the
code page it had before.
"""
import fcntl
import os
import pty
import re
import select
import struct
import sys
import termios
import time

wine, code_page_exe, varnel_exe, pindle_exe = sys.argv[1:5]
failures = []
# Wine's console draws a space as a cursor move to the right and writes
# other screen control sequences and carriage returns around the text.
CURSOR_RIGHT = re.compile(r"\x1b\[([0-9]*)C")
CONTROL = re.compile(r"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07|\x1b[=>]|\r")


class Console:
    def __init__(self, program):
        self.pid, self.master = pty.fork()
        if self.pid == 0:
            # Ctrl-Z must reach the program instead of stopping it.
            attributes = termios.tcgetattr(0)
            attributes[6][termios.VSUSP] = b"\0"
            termios.tcsetattr(0, termios.TCSANOW, attributes)
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 120, 0, 0))
            os.execvp(wine, [wine, code_page_exe, program])
        self.shown = b""

    def text(self):
        text = self.shown.decode("utf-8", "replace")
        text = CURSOR_RIGHT.sub(lambda move: " " * int(move.group(1) or "1"), text)
        return CONTROL.sub("", text)

    def wait_for(self, words, seconds=15):
        deadline = time.monotonic() + seconds
        while words not in self.text():
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                return False
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return False
            if not chunk:
                return False
            self.shown += chunk
        return True

    def type(self, keys):
        # Wine leaves canonical mode at the first read: typing before that
        # would be echoed and taken by the terminal, not the program.
        deadline = time.monotonic() + 15
        while termios.tcgetattr(self.master)[3] & termios.ICANON and time.monotonic() < deadline:
            time.sleep(0.05)
        os.write(self.master, keys)

    def close(self):
        try:
            os.kill(self.pid, 9)
        except ProcessLookupError:
            pass
        os.waitpid(self.pid, 0)
        os.close(self.master)


def check(name, console, words):
    if not console.wait_for(words):
        failures.append(f"{name}: never showed {words!r}; the screen showed:\n{console.text()[-2000:]}")
        return False
    return True


def session(name, program, steps):
    console = Console(program)
    try:
        if not check(name, console, "code page before: 437\n"):
            return
        for keys, words in steps:
            if keys:
                console.type(keys)
            if not check(name, console, words):
                return
        # A character cut in two by the console's conversion shows as one of
        # these.
        for replacement in ("\ufffd", "\u30fb"):
            if replacement in console.text():
                failures.append(f"{name}: the screen shows {replacement!r}")
    finally:
        console.close()


MENU = ("메인 메뉴입니다. 원하시는 기능을 선택하시고 숫자를 입력해주세요.\n"
        "[1]입력한 숫자만큼의 크기를 한 변으로 하는 회전 삼각형\n[2]3가지 수의 크기 비교\n"
        "[3]사칙연산 및 나머지 계산기\n[0]프로그램 종료\n")
AFTER_CTRL_C = "code page after: 437\n"

session("varnel, 1 4 l x, then Ctrl-Z Enter", varnel_exe, [
    (None, MENU),
    (b"1\r", "생성하고자 하는 삼각형의 한 변의 길이 (양의 정수) 를 입력해주세요.\n"),
    (b"4\r", "0˚\n\n△\n▲▲\n▲　▲\n▲▲▲▲\n"),
    (b"l\r", "270˚\n　　　▲\n　　▲▲\n　▲　▲\n△▲▲▲\n"),
    (None, "현재 menu_1_command_result : 1\n명령어를 입력해주세요.\n"),
    (b"x\r", "x\n\n\n　　[SYSTEM] main_menu_power 작동중\n" + MENU),
    (b"\x1a\r", "code page after: 437\nstatus: 0\n"),
])
# Drawings of this size are written in several 64 KiB blocks, and in both
# encodings some of the blocks end inside a character.
session("varnel, side 300 turned three times", varnel_exe, [
    (None, MENU),
    (b"1\r", "를 입력해주세요.\n"),
    (b"300\r", "현재 menu_1_command_result : 0\n"),
    (b"l\r", "현재 menu_1_command_result : 1\n"),
    (b"r\r", "현재 menu_1_command_result : 0\n명령어를 입력해주세요.\n"),
    (b"r\r", "현재 menu_1_command_result : -1\n"),
])
session("varnel, Ctrl-C at the menu", varnel_exe, [(None, MENU), (b"\x03", AFTER_CTRL_C)])
session("varnel, Ctrl-C during a comparison", varnel_exe,
        [(None, MENU), (b"2\r", "(0은 입력 불가능)\na : "), (b"\x03", AFTER_CTRL_C)])
session("pindle, 1 2 then Ctrl-Z Enter", pindle_exe,
        [(b"1 2\r", "1번\n2번\n"), (b"\x1a\r", "code page after: 437\nstatus: 0\n")])
session("pindle, Ctrl-C", pindle_exe, [(b"7\r", "1,2,0 중 하나만 입력해주세요... :(\n"), (b"\x03", AFTER_CTRL_C)])

for failure in failures:
    print(failure)
print(f"wine console: {len(failures)} failures in 6 sessions")
sys.exit(1 if failures else 0)
