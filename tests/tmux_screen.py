#!/usr/bin/env python3
"""varnel inside tmux, a real terminal in which the triangles take one column:
typed at with send-keys, read with capture-pane. Every cell of each drawing
must stand on its own two columns and match the plain drawing a pipe gets,
cell for cell.

tmux_screen.py VARNEL
"""
import os
import subprocess
import sys
import tempfile
import time
import unicodedata

varnel = sys.argv[1]
keys = ["1", "6", "l", "l", "l"]
CELLS = "△▲　"


def width(char):
    # tmux's own widths: East Asian wide and full-width characters take two
    # columns, ambiguous ones such as the triangles one.
    return 2 if unicodedata.east_asian_width(char) in "WF" else 1


def cells_by_column(line):
    """The cells of a screen line as found at columns 0, 2, 4, ...; None where
    a cell starts on an odd column or the line holds anything else."""
    found, column = {}, 0
    for char in line:
        if char in CELLS:
            found[column] = char
        elif char != " ":
            return None
        column += width(char)
    if not found or any(column % 2 for column in found):
        return None if found else []
    return "".join(found.get(column, "?") for column in range(0, max(found) + 1, 2))


def drawing_rows(lines):
    return [line for line in lines if line and all(char in CELLS for char in line)]


plain = subprocess.run([varnel], input="\n".join(keys + ["x", "0"]) + "\n", capture_output=True,
                       text=True, check=True).stdout.split("\n")
expected = drawing_rows(plain)

with tempfile.TemporaryDirectory() as folder:
    environment = dict(os.environ, LC_ALL="C.UTF-8", TMUX_TMPDIR=folder)
    environment.pop("TMUX", None)

    def tmux(*arguments):
        return subprocess.run(["tmux", "-u", "-f", "/dev/null", *arguments], env=environment, check=True,
                              capture_output=True, text=True).stdout

    tmux("new-session", "-d", "-x", "100", "-y", "120", varnel)
    try:
        for key in keys:
            tmux("send-keys", key, "Enter")
        screen = []
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            screen = tmux("capture-pane", "-p", "-S", "-").rstrip("\n").split("\n")
            # Done when the last drawing, 90 degrees, is followed by the prompt.
            if "90˚" in screen and screen[-1].endswith("메인 메뉴로 복귀)"):
                break
            time.sleep(0.1)
    finally:
        tmux("kill-server")

rows = [line.rstrip(" ") for line in screen if line.strip(" " + CELLS) == "" and line.strip(" ")]
shown = [cells_by_column(line) for line in rows]
if shown != expected:
    print("tmux showed:", *rows, "as cells:", *shown, "a pipe got:", *expected, sep="\n")
    sys.exit(1)
print(f"{len(expected)} rows of 4 drawings of side 6: every cell on its own two columns, as in a pipe")
