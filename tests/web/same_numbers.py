#!/usr/bin/env python3
"""The browser build (32-bit WebAssembly) and the native build read and
print real numbers by the same code of the program's own, which the native
unit tests check against the C++ library's to_chars and from_chars: both
builds must give the same results. Random numbers, from one digit to past the 113
significant digits that can decide a float's rounding, with exponents past
both ends of single precision, go through the calculator's product with 1
(each is read and printed with "%f") in both builds; the outputs must be
the same bytes.   same_numbers.py NATIVE_VARNEL WEB_VARNEL_JS [COUNT] [SEED]"""
import random, subprocess, sys

native, web = sys.argv[1], sys.argv[2]
count = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
chooser = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 2026)


def number():
    digits = "".join(chooser.choice("0123456789") for _ in range(chooser.choice([1, 2, 3, 5, 7, 8, 9, 12, 20, 40, 120])))
    point = chooser.randrange(len(digits) + 1)
    text = chooser.choice(["", "-", "+"]) + digits[:point] + "." + digits[point:]
    if chooser.random() < 0.5:
        text += chooser.choice("eE") + chooser.choice(["", "-", "+"]) + str(chooser.randrange(0, 50))
    return text


lines = ["3"]
for _ in range(count):
    lines += ["3", number() + " 1", "y"]
lines += ["3", "1 1", "n", "0"]
script = ("\n".join(lines) + "\n").encode()
outputs = [subprocess.run(command, input=script, capture_output=True, check=True).stdout
           for command in ([native], ["node", web])]
if outputs[0] != outputs[1]:
    for index, (mine, theirs) in enumerate(zip(outputs[0].split(b"\n"), outputs[1].split(b"\n"))):
        if mine != theirs:
            print(f"line {index + 1}: native {mine.decode()!r}, browser build {theirs.decode()!r}")
            break
    sys.exit(1)
results = outputs[0].count("결과값".encode())
print(f"{count} random numbers: the same {results} results, {len(outputs[0])} bytes, from both builds")
if results < count // 2:
    sys.exit(1)
