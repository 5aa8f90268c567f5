#!/usr/bin/env python3
"""The page's line discipline against Linux's: the same keys go to a real
pseudo-terminal in canonical mode, with IUTF8 set as terminal emulators set
it and a reader that logs each read(), and to line_discipline.js under
Node.js (line_discipline_cases.js). As on the page, a reader ends at the
end of its input or at a signal, and a shell's next line starts the next.
What each read returns must be the same, and so must the screen the echo
leaves, both echo streams drawn in
@xterm/headless, the page's own terminal. Where they differ, the case must
fall under a departure named below (and in docs/web.md) with its reason.

    line_discipline_linux.py NODE      with WEB (the web/ folder)

The keys: a listed set, then RANDOM_SEQUENCES seeded random ones; each
sequence once key by key and once pasted whole."""
import concurrent.futures
import fcntl
import json
import os
import pathlib
import pty
import random
import select
import signal
import struct
import subprocess
import sys
import termios
import time

HERE = pathlib.Path(__file__).resolve().parent
RANDOM_SEQUENCES = 300
SEED = 20261210

ENTER, BACKSPACE, TAB = "\r", "\x7f", "\t"
CTRL = {name: chr(ord(name) - 64) for name in "ACDHQRSUVWZ"}
CTRL["\\"] = "\x1c"
WIDE = "가한글漢字"
RESIZE = "\0resize "  # then the terminal's new width; no key
COMBINING = "e\u0301"

# Where the page departs from Linux, each allowed only where Linux's own
# result is a fault (the screen and the line out of step, a character cut in
# half) or where a page has no counterpart. A departure names what it may
# change: the screen alone, or the reads too.
DEPARTURES = {
    "wide erased": ("screen", "Backspace, Ctrl-W or Ctrl-U over a character two columns wide: Linux moves back "
                              "one column of the two, leaving the screen out of step with the line"),
    "tab after wide": ("screen", "a tab erased after a wide character: Linux counts that character as one "
                                 "column and moves back one column too many"),
    "combining erased": ("reads", "erasing a letter with a combining mark: Linux takes the mark alone from the "
                                  "line and blanks the letter's column, so the screen shows no letter where the "
                                  "line still holds one; the page erases the letter with its marks"),
    "past 4095 bytes": ("reads", "a line past 4095 bytes: Linux echoes what it drops, overwrites its last byte "
                                 "and can cut a character in half; the page keeps whole characters and rings "
                                 "the bell for what it drops"),
    "job control": ("reads", "Ctrl-Z: a page has no job control; Linux echoes ^Z and stops the program"),
    "narrowed": ("screen", "the terminal narrowed past the cursor, which stays on its line at the last column: "
                           "Linux counts tab stops from where the cursor was, the page from where it is"),
}


def departures_of(keys):
    """The departures whose keys the sequence has."""
    text = "".join(keys)
    erases = any(key in text for key in (BACKSPACE, CTRL["W"], CTRL["U"]))
    found = set()
    if erases and any(character in text for character in WIDE):
        found.add("wide erased")
        if TAB in text:
            found.add("tab after wide")
    if erases and COMBINING[1] in text:
        found.add("combining erased")
    if any(len(line.encode()) > 4095 for line in text.split(ENTER)):
        found.add("past 4095 bytes")
    if CTRL["Z"] in text:
        found.add("job control")
    for index, key in enumerate(keys):
        if key.startswith(RESIZE) and int(key.split()[1]) < len("".join(keys[:index]).split(ENTER)[-1]) < 80:
            found.add("narrowed")
    return found


def listed():
    """Sequences for each class of key, named; some are the ones Linux and
    the page were first found to differ on."""
    c = CTRL
    return [
        ("erase and retype", ["a", "b", BACKSPACE, "c", ENTER]),
        ("Ctrl-H is no erase key", ["a", "b", c["H"], "c", ENTER]),
        ("Ctrl-R reprints the line", ["a", "b", c["R"], "c", ENTER]),
        ("Ctrl-R on a line with a tab", ["a", TAB, "b", c["R"], BACKSPACE, BACKSPACE, "c", ENTER]),
        ("Ctrl-S and Ctrl-Q stop and restart the echo", ["a", c["S"], "b", c["Q"], "c", ENTER]),
        ("a line typed while stopped", ["a", c["S"], "b", ENTER, "c", c["Q"], ENTER]),
        ("Ctrl-C", ["a", "b", c["C"]]),
        ("Ctrl-C while stopped", ["a", c["S"], "b", c["C"]]),
        ("Ctrl-\\", ["a", "b", c["\\"]]),
        ("Ctrl-V before a control key", ["a", c["V"], c["C"], "b", ENTER]),
        ("Ctrl-V before Enter and Backspace", [c["V"], ENTER, c["V"], BACKSPACE, ENTER]),
        ("Ctrl-V erased", ["a", c["V"], c["A"], BACKSPACE, ENTER]),
        ("Ctrl-U", ["j", "u", "n", "k", c["U"], "o", "k", ENTER]),
        ("Ctrl-W over words", ["o", "n", "e", " ", "t", "w", "o", " ", " ", c["W"], ENTER]),
        ("Ctrl-W over digits", ["a", "b", " ", "1", "2", c["W"], ENTER]),
        ("Ctrl-W over an emoji", ["a", " ", "😀", c["W"], ENTER]),
        ("Ctrl-W over symbols", ["x", " ", "△", "▲", c["W"], ENTER]),
        ("Ctrl-W over Hangul", ["a", " ", "한", "글", c["W"], ENTER]),
        ("Ctrl-W over punctuation", ["a", "-", "b", c["W"], c["W"], ENTER]),
        ("tabs", ["a", "b", TAB, BACKSPACE, "c", TAB, "d", BACKSPACE, BACKSPACE, ENTER]),
        ("tab after a quoted control key", [c["V"], c["A"], TAB, BACKSPACE, "x", ENTER]),
        ("Ctrl-D at the start of a line", [c["D"], "a", ENTER, c["D"]]),
        ("Ctrl-D after part of a line", ["1", "2", c["D"], "3", ENTER]),
        ("Ctrl-D twice", ["1", c["D"], c["D"], c["D"]]),
        ("Hangul and Backspace", ["가", BACKSPACE, "나", ENTER]),
        ("tab after Hangul", ["한", TAB, BACKSPACE, "x", ENTER]),
        ("a combining mark and Backspace", [COMBINING, BACKSPACE, "x", ENTER]),
        ("a combining mark kept", [COMBINING, "x", ENTER]),
        ("an emoji and Backspace", ["😀", BACKSPACE, "x", ENTER]),
        ("wide CJK", ["漢", "字", ENTER]),
        ("4095 bytes of Hangul", ["가" * 1400, ENTER]),
        ("exactly 4095 bytes", ["a" * 4095, ENTER]),
        ("past 4095 bytes", ["a" * 4100, BACKSPACE, "b", ENTER]),
        ("a long line wraps", ["a" * 100, BACKSPACE * 30, "b", ENTER]),
        ("a tab at the last column", ["a" * 79, TAB, BACKSPACE, ENTER]),
        ("Ctrl-Z", ["a", c["Z"], "b", ENTER]),
        ("Escape and an arrow key", ["\x1b[A", "x", ENTER]),
        ("a paste across lines", ["a", "b", ENTER, TAB, "x", BACKSPACE, BACKSPACE, "y", ENTER]),
        ("the next line starts the next run", ["1", ENTER, c["D"], "x", c["D"], ENTER, "2", ENTER]),
        ("Ctrl-S across a run's end", ["1", ENTER, c["S"], "1", ENTER, c["D"], ENTER, "1", ENTER, c["Q"]]),
        ("typed ahead past Ctrl-C", ["1", ENTER, "2", ENTER, c["C"], "3", ENTER, "4", ENTER]),
        ("Ctrl-C between runs", [c["D"], "a", c["C"], ENTER, "b", ENTER]),
        ("narrowed past the cursor", ["a" * 70, RESIZE + "60", TAB, BACKSPACE, "x", TAB, ENTER]),
        ("a wrapped line narrowed", ["a" * 100, RESIZE + "60", TAB, BACKSPACE, "x", TAB, ENTER]),
        ("a wrapped line widened", ["a" * 100, RESIZE + "120", TAB, BACKSPACE, "x", TAB, ENTER]),
    ]


def random_sequences(count, seed):
    keys = (list("abcxyz019 .-_") + list(WIDE) + ["😀", COMBINING, TAB, BACKSPACE, ENTER]
            + [CTRL[name] for name in "UWDVHRSQ"])
    generator = random.Random(seed)
    sequences = []
    for number in range(count):
        length = generator.randint(1, 20)
        sequences.append((f"random {number}", [generator.choice(keys) for _ in range(length)]))
    return sequences


def shell(log, gate):
    """Runs a reader; once it has ended, reads on to a whole line, as a
    shell its next command, and runs the next. Signals it ignores."""
    attributes = termios.tcgetattr(0)
    attributes[0] |= getattr(termios, "IUTF8", 0o40000)  # Linux's value, where Python lacks the name
    termios.tcsetattr(0, termios.TCSANOW, attributes)
    for number in (signal.SIGINT, signal.SIGQUIT, signal.SIGTSTP):
        signal.signal(number, signal.SIG_IGN)
    started = b"ready"
    while True:
        pid = os.fork()
        if pid == 0:
            reader(log, gate, started)
        os.waitpid(pid, 0)
        line = b""
        while not line.endswith(b"\n"):
            line = os.read(0, 65536)
        started = b"shell " + line.hex().encode()


def reader(log, gate, started):
    """The program side: logs `started` once its signals are set, then each
    read() in hex (after a byte from the gate) and each signal; never writes
    to the terminal. It ends at a signal or the end of input, after which a
    signal is the shell's."""
    def end(line):
        for number in (signal.SIGINT, signal.SIGQUIT):
            signal.signal(number, signal.SIG_IGN)
        os.write(log, line + b"\n")
        os._exit(0)
    for name, number in (("INT", signal.SIGINT), ("QUIT", signal.SIGQUIT)):
        signal.signal(number, lambda _number, _frame, name=name: end(f"signal {name}".encode()))
    signal.signal(signal.SIGTSTP, lambda _number, _frame: os.write(log, b"signal TSTP\n"))
    os.write(log, started + b"\n")
    while os.read(gate, 1) and (block := os.read(0, 65536)):
        os.write(log, block.hex().encode() + b"\n")
    end(b"")


def run_linux(keys, expected, quiet_seconds=1.0):
    """Types `keys` (each one write()) at a fresh pseudo-terminal; answers
    the reads and the echo. It waits until both equal the page's, or until
    nothing has come for `quiet_seconds`.

    A paste with a signal in it would race at Linux's: the reader could take
    a line of it before the signal drops the rest, where the page takes the
    paste whole. So there the reader reads only once each key's echo is
    through, as many times as the page's did."""
    log_read, log_write = os.pipe()
    gate_read, gate_write = os.pipe()
    pid, master = pty.fork()
    if pid == 0:
        try:
            os.close(log_read)
            shell(log_write, gate_read)
        except BaseException as error:  # told to the parent through the log
            os.write(log_write, f"failed {error!r}\n".encode())
        finally:
            os._exit(0)
    os.close(log_write)
    os.close(gate_read)
    gated = any(len(key) > 1 and (CTRL["C"] in key or CTRL["\\"] in key) for key in keys)
    os.write(gate_write, b"g" * (0 if gated else 4096))
    try:
        log = b""
        while not log.startswith(b"ready\n"):
            chunk = os.read(log_read, 4096)
            if not chunk or chunk.startswith(b"failed"):
                raise RuntimeError(f"the reader on the pseudo-terminal did not start: {chunk.decode()}")
            log += chunk
        log = log[len(b"ready\n"):]
        echo = b""
        page_echo = expected["echo"].encode("latin1")
        resizes = []

        def through(index, logged=True):
            """Until the echo and the log after key `index` are the page's."""
            shown, lines = page_echo[:expected["echoed"][index]], expected["logged"][index] if logged else 0
            return collect(master, log_read, echo, log,
                           lambda echo, log: echo == shown and len(log.splitlines()) >= lines, 0.3)
        for index, key in enumerate(keys):
            # A signal drops what the terminal has not yet shown and the
            # program not yet read, and Ctrl-S holds the echo not yet shown:
            # each waits until the keys before it are through, and the key
            # after a signal until the signal is, as a person's would.
            if index > 0 and (key in (CTRL["C"], CTRL["\\"], CTRL["S"]) or key.startswith(RESIZE)):
                echo, log = through(index - 1)
            if key.startswith(RESIZE):
                resizes.append([len(echo), int(key.split()[1])])
                fcntl.ioctl(master, termios.TIOCSWINSZ, struct.pack("HHHH", 100, resizes[-1][1], 0, 0))
                continue
            os.write(master, key.encode())
            if gated:
                echo, log = through(index, logged=False)
                os.write(gate_write, b"g" * sum(1 for line in expected["reads"][len(log.splitlines()):expected[
                    "logged"][index]] if not line.startswith(("signal", "shell"))))
            if gated or key in (CTRL["C"], CTRL["\\"]):
                echo, log = through(index)
        if gated:
            os.write(gate_write, b"g" * 4096)
        expected_reads, expected_echo = expected["reads"], expected["echo"].encode("latin1")

        def same_as_page(echo, log):
            return log.endswith(b"\n") and log.decode().splitlines() == expected_reads and echo == expected_echo
        echo, log = collect(master, log_read, echo, log, same_as_page, quiet_seconds)
        return {"reads": log.decode().splitlines(), "echo": echo.decode("latin1"), "resizes": resizes}
    finally:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
        os.close(master)
        os.close(log_read)
        os.close(gate_write)


def collect(master, log_read, echo, log, done, quiet_seconds):
    """Gathers echo and log until done(echo, log), or until nothing has come
    for `quiet_seconds`."""
    last = time.monotonic()
    while True:
        ready, _, _ = select.select([master, log_read], [], [], 0.02)
        for descriptor in ready:
            try:
                chunk = os.read(descriptor, 65536)
            except OSError:
                chunk = b""
            if descriptor == master:
                echo += chunk
            else:
                log += chunk
            if chunk:
                last = time.monotonic()
        if done(echo, log) or time.monotonic() - last >= quiet_seconds:
            return echo, log


def node(command, items, node_program):
    result = subprocess.run([node_program, str(HERE / "line_discipline_cases.js"), command],
                            input=json.dumps(items).encode(), stdout=subprocess.PIPE, check=True)
    return json.loads(result.stdout)


def shown(reads):
    def text(read):
        prefix, _, data = read.rpartition(" ")
        return read if prefix == "signal" else (prefix + " " if prefix else "") + bytes.fromhex(data).decode("utf-8", "replace")
    return [text(read) for read in reads]


def main():
    node_program = sys.argv[1]
    sequences = listed() + random_sequences(RANDOM_SEQUENCES, SEED)
    cases = []
    for name, keys in sequences:
        cases.append((f"{name}, key by key", keys))
        if not any(key.startswith(RESIZE) for key in keys):
            cases.append((f"{name}, pasted", ["".join(keys)]))
    page = node("type", [{"keys": keys} for _, keys in cases], node_program)
    with concurrent.futures.ThreadPoolExecutor(max_workers=16) as pool:
        linux = list(pool.map(lambda index: run_linux(cases[index][1], page[index]), range(len(cases))))
    screens = node("screen", [{"echo": result["echo"], "resizes": result["resizes"]} for pair in zip(linux, page)
                              for result in pair], node_program)
    failures = 0
    departed = {name: 0 for name in DEPARTURES}
    for index, (name, keys) in enumerate(cases):
        linux_screen, page_screen = screens[2 * index], screens[2 * index + 1]
        reads_differ = linux[index]["reads"] != page[index]["reads"]
        screen_differs = linux_screen != page_screen
        if not reads_differ and not screen_differs:
            continue
        allowed = departures_of(keys)
        if allowed and (not reads_differ or any(DEPARTURES[departure][0] == "reads" for departure in allowed)):
            for departure in allowed:
                departed[departure] += 1
            continue
        failures += 1
        print(f"{name}: {json.dumps(keys)[:200]}")
        if reads_differ:
            print(f"  reads: Linux {shown(linux[index]['reads'])!r:.300}\n         page  {shown(page[index]['reads'])!r:.300}")
        if screen_differs:
            print(f"  screen: Linux {linux_screen!r:.300}\n          page  {page_screen!r:.300}")
    print(f"{len(sequences)} sequences ({RANDOM_SEQUENCES} random, seed {SEED}), each key by key and pasted: "
          f"{len(cases)} cases; {failures} differ outside a departure")
    for departure, count in departed.items():
        print(f"  departure '{departure}': {count} cases differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
