#!/usr/bin/env python3
"""Input that ends early: for every transcript, the input cut after each of
its lines must end the program with status 0, having printed a prefix of
what the whole input prints.

    cut_short.py PROGRAM TRANSCRIPT_DIRECTORY

TRANSCRIPT_ENCODING, when not UTF-8, is the program's console encoding;
TRANSCRIPT_RUNNER, when set, a command that starts the program (an
emulator). One Python process starts every run, so that the time goes to
the program, not to the tools around it."""
import os
import pathlib
import shlex
import subprocess
import sys
import tempfile


def expected_output(path):
    encoding = os.environ.get("TRANSCRIPT_ENCODING", "UTF-8")
    if encoding == "UTF-8":
        return path.read_bytes()
    return subprocess.run(["iconv", "-f", "UTF-8", "-t", encoding, str(path)],
                          check=True, stdout=subprocess.PIPE).stdout


def main():
    program, directory = sys.argv[1], pathlib.Path(sys.argv[2])
    command = shlex.split(os.environ.get("TRANSCRIPT_RUNNER", "")) + [program]
    runs = 0
    failed = False
    for case in sorted(directory.glob("*.in")):
        if case.with_suffix(".status").exists() or case.with_suffix(".args").exists():
            continue
        expected = expected_output(case.with_suffix(".out"))
        errors = case.with_suffix(".err")
        expected_errors = expected_output(errors) if errors.exists() else b""
        typed = case.read_bytes()
        # The ends of the first `kept` lines, as `head -n kept` cuts them,
        # and the end of the last byte: a last line without a line end is
        # cut too.
        ends = [0] + [at + 1 for at in range(len(typed)) if typed[at] == ord("\n")]
        if ends[-1] != len(typed):
            ends.append(len(typed))
        for kept, end in enumerate(ends):
            with tempfile.TemporaryFile() as cut:
                cut.write(typed[:end])
                cut.seek(0)
                # A hang is caught by the test's own limit; this one only
                # ends the run that hangs, far above the milliseconds a run
                # takes.
                result = subprocess.run(command, stdin=cut, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        timeout=60, check=False)
            runs += 1
            where = f"{case.name} cut after {kept} lines"
            if result.returncode != 0:
                print(f"{where}: status {result.returncode}")
                failed = True
            elif not expected.startswith(result.stdout):
                print(f"{where}: output is not a prefix of {case.with_suffix('.out').name}")
                failed = True
            elif not expected_errors.startswith(result.stderr):
                print(f"{where}: standard error is not a prefix of what is expected: {result.stderr!r}")
                failed = True
    print(f"{runs} cut-short runs")
    return 1 if failed or runs == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
