#!/usr/bin/env python3
"""How a big triangle goes out at a terminal: varnel drawing on a
pseudo-terminal whose other side is read as fast as it comes, with its cells
placed (TERM=xterm) and plain (TERM=dumb). The window is made wide enough
for the drawing's rows, or the cells would not be placed at all.

    bench/terminal.py [VARNEL] [SIDE] [RUNS]

VARNEL defaults to build/bin/varnel, SIDE to 2000 (all four orientations),
RUNS to 10; each time is the best of RUNS: the wall time from the start of
the program to its end with every byte read, and the processor time varnel
itself took (user and system), which moves less from run to run.
"""
import fcntl
import os
import subprocess
import struct
import sys
import termios
import time

varnel = sys.argv[1] if len(sys.argv) > 1 else "build/bin/varnel"
side = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
columns = min(2 * side + 2, 65535)
keys = f"1\r{side}\rr\rr\rr\rx\r0\r".encode()


def one_run(term):
    """Seconds from start to end, varnel's own processor seconds and the
    bytes shown, for one dialogue on a fresh terminal."""
    master, terminal = os.openpty()
    attributes = termios.tcgetattr(terminal)
    attributes[3] &= ~termios.ECHO
    termios.tcsetattr(terminal, termios.TCSANOW, attributes)
    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 50, columns, 0, 0))
    start = time.perf_counter()
    program = subprocess.Popen([varnel], stdin=terminal, stdout=terminal, stderr=terminal,
                               env=dict(os.environ, TERM=term), start_new_session=True)
    os.close(terminal)
    os.write(master, keys)
    shown = 0
    while True:
        try:
            chunk = os.read(master, 1 << 16)
        except OSError:  # the program has ended and closed the terminal
            break
        if not chunk:
            break
        shown += len(chunk)
    _, status, usage = os.wait4(program.pid, 0)
    elapsed = time.perf_counter() - start
    program.returncode = status
    os.close(master)
    if status != 0:
        sys.exit(f"varnel ended with status {status}")
    return elapsed, usage.ru_utime + usage.ru_stime, shown


# The two kinds of run take turns, so that a slow spell of the machine
# slows both.
runs_of = {"xterm": [], "dumb": []}
for _ in range(runs):
    for term, results in runs_of.items():
        results.append(one_run(term))
placed_time = min(run[0] for run in runs_of["xterm"])
plain_time = min(run[0] for run in runs_of["dumb"])
placed_cpu = min(run[1] for run in runs_of["xterm"])
plain_cpu = min(run[1] for run in runs_of["dumb"])
placed_bytes, plain_bytes = runs_of["xterm"][0][2], runs_of["dumb"][0][2]
print(f"side {side}, four orientations, on a terminal {columns} columns wide; best of {runs} runs")
print(f"  placed (TERM=xterm)  {placed_time:.3f} s  varnel's processor time {placed_cpu:.3f} s  {placed_bytes} bytes")
print(f"  plain  (TERM=dumb)   {plain_time:.3f} s  varnel's processor time {plain_cpu:.3f} s  {plain_bytes} bytes")
print(f"  ratio  time {placed_time / plain_time:.2f}  processor time {placed_cpu / plain_cpu:.2f}"
      f"  bytes {placed_bytes / plain_bytes:.3f}  (targets <= 1.25)")
