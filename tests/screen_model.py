#!/usr/bin/env python3
"""A terminal screen, as pyte models it, fed with what a program wrote to its
terminal on standard input. Prints each screen line as it shows, trailing
blanks dropped; the right half of a two-column character prints nothing.

screen_model.py COLUMNS LINES narrow|wide ENCODING

ENCODING is the program's, such as UTF-8 or CP949; the lines are printed in
it too.

`narrow` keeps the model's own widths, in which the triangles take one column
like on most terminals; `wide` makes them two columns, like a terminal whose
ambiguous-width characters are wide.
"""
import sys

import pyte
import pyte.screens

columns, lines, triangles, encoding = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
if triangles == "wide":
    model_width = pyte.screens.wcwidth
    pyte.screens.wcwidth = lambda char: 2 if char in "△▲" else model_width(char)
screen = pyte.Screen(columns, lines)
pyte.Stream(screen).feed(sys.stdin.buffer.read().decode(encoding))
for line in screen.display:
    sys.stdout.buffer.write(line.rstrip(" ").encode(encoding) + b"\n")
