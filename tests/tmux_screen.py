#!/usr/bin/env python3
"""varnel inside tmux, a real terminal that draws the triangles one column
wide, typed at with send-keys and read with capture-pane: every cell of the
four drawings of side 6 must start on an even column (counted from 0) and
match the plain drawing a pipe gets.   tmux_screen.py VARNEL"""
import os, subprocess, sys, tempfile, time, unicodedata

varnel, keys, cells = sys.argv[1], ["1", "6", "l", "l", "l"], "△▲　"
plain = subprocess.run([varnel], input="\n".join(keys + ["x", "0"]) + "\n", capture_output=True, text=True,
                       check=True).stdout.split("\n")
expected = [line for line in plain if line and all(char in cells for char in line)]

with tempfile.TemporaryDirectory() as folder:
    # A server of its own, on a socket in its own folder: run from inside
    # tmux, TMUX would otherwise point every command, kill-server too, at the
    # caller's server.
    environment = {name: value for name, value in os.environ.items() if not name.startswith("TMUX")}
    environment.update(LC_ALL="C.UTF-8", TMUX_TMPDIR=folder)
    socket = os.path.join(folder, "socket")
    tmux = lambda *arguments: subprocess.run(["tmux", "-u", "-f", "/dev/null", "-S", socket, *arguments],
                                              env=environment, check=True, capture_output=True, text=True).stdout
    tmux("new-session", "-d", "-x", "100", "-y", "120", varnel)
    try:
        for key in keys:
            tmux("send-keys", key, "Enter")
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            screen = tmux("capture-pane", "-p", "-S", "-").rstrip("\n").split("\n")
            # Done when the last drawing, 90 degrees, is followed by the prompt.
            if "90˚" in screen and screen[-1].endswith("메인 메뉴로 복귀)"):
                break
            time.sleep(0.1)
    finally:
        tmux("kill-server")


def cells_by_column(line):
    """The cells found at columns 0, 2, 4, ... (tmux gives the triangles one
    column, East Asian wide characters two); '?' where none starts."""
    found, column = {}, 0
    for char in line:
        if char in cells:
            found[column] = char
        column += 2 if unicodedata.east_asian_width(char) in "WF" else 1
    return "".join(found.get(column, "?") for column in range(0, max(found) + 1, 2)) if found else ""


rows = [line.rstrip(" ") for line in screen if line.strip(" ") and not line.strip(" " + cells)]
if [cells_by_column(line) for line in rows] != expected:
    print("tmux showed:", *rows, "a pipe got:", *expected, sep="\n")
    sys.exit(1)
print(f"{len(expected)} rows of 4 drawings of side 6: every cell on its own two columns, as in a pipe")
