#!/usr/bin/env python3
"""A pipe left non-blocking takes what fits of a write and refuses the rest
until it is read: the browser build's host must hand on exactly the count
each write took, and try again later, so that the output through such a
pipe is the output into a file, byte for byte. It must wait meanwhile,
not spin: while the pipe stays full for two seconds the program takes
less than a second of processor time beyond what its run into a file
takes. Input from a pipe left non-blocking that has nothing yet is waited
for, not taken for the end of the input.

partial_writes.py NODE VARNEL_JS PINDLE_JS"""
import fcntl, os, resource, select, subprocess, sys, tempfile, termios, threading, time


def children_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


node, varnel, pindle = sys.argv[1:4]
scripts = {
    varnel: b"1\n400\nl\nl\nl\nx\n0\n",  # some 5 MB of triangles
    pindle: b"1 2 x\n" * 100000 + b"0\n",
}
failed = False
for program, script in scripts.items():
    with tempfile.TemporaryFile() as into_file:
        before = children_seconds()
        plain = subprocess.run([node, program], input=script, stdout=into_file, stderr=subprocess.PIPE)
        plain_seconds = children_seconds() - before
        into_file.seek(0)
        expected = into_file.read()

    with tempfile.TemporaryFile() as typed:
        typed.write(script)
        typed.seek(0)
        reader, writer = os.pipe()
        os.set_blocking(writer, False)
        child = subprocess.Popen([node, program], stdin=typed, stdout=writer, stderr=subprocess.PIPE)
    os.close(writer)
    # Nobody reads until the pipe is full: within a second, 30 allowed.
    room = fcntl.fcntl(reader, fcntl.F_GETPIPE_SZ)
    waiting = bytearray(4)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        fcntl.ioctl(reader, termios.FIONREAD, waiting)
        if int.from_bytes(waiting, sys.byteorder) > room - 4096:
            break
        time.sleep(0.01)
    time.sleep(2)
    # Then read in small bites, so that the program finds a little room at a
    # time and its large writes are taken in part.
    printed = bytearray()
    while True:
        select.select([reader], [], [], 60)
        bite = os.read(reader, 1000)
        if not bite:
            break
        printed += bite
    os.close(reader)
    before = children_seconds()
    status = child.wait(60)
    blocked_seconds = children_seconds() - before
    complaints = child.stderr.read().decode("utf-8", "replace")
    name = os.path.basename(program)
    if blocked_seconds > plain_seconds + 1:
        print(f"{name}: {blocked_seconds:.2f} s of processor time through a pipe held full, "
              f"{plain_seconds:.2f} s into a file: it spins while it waits")
        failed = True
    if len(expected) < 4 * room:
        print(f"{name}: only {len(expected)} bytes of output, too few to fill the pipe")
        failed = True
    if bytes(printed) != expected or status != 0 or complaints or plain.returncode != 0:
        print(f"{name}: {len(printed)} bytes through a non-blocking pipe, {len(expected)} into a file; "
              f"status {status}, standard error {complaints!r}")
        failed = True
    else:
        print(f"{name}: {len(printed)} bytes through a non-blocking pipe, the same as into a file")

# Input through a pipe left non-blocking, its second half a moment late.
for program, script in scripts.items():
    name = os.path.basename(program)
    expected = subprocess.run([node, program], input=script, capture_output=True).stdout
    reader, writer = os.pipe()
    os.set_blocking(reader, False)
    child = subprocess.Popen([node, program], stdin=reader, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    os.close(reader)
    # Typed from a thread of its own: the program's output is read meanwhile.
    # A program that ends early is told by its output, not by this pipe.
    def type_in_two_halves():
        half = len(script) // 2
        try:
            with os.fdopen(writer, "wb") as typing:
                typing.write(script[:half])
                typing.flush()
                time.sleep(0.5)
                typing.write(script[half:])
        except BrokenPipeError:
            pass
    typist = threading.Thread(target=type_in_two_halves)
    typist.start()
    printed, complaints = child.communicate(timeout=60)
    typist.join()
    if printed != expected or child.returncode != 0 or complaints:
        print(f"{name}: {len(printed)} bytes from input through a non-blocking pipe, {len(expected)} expected; "
              f"status {child.returncode}, standard error {complaints[:200]!r}")
        failed = True
    else:
        print(f"{name}: input through a non-blocking pipe, waited for, gives the same output")
sys.exit(1 if failed else 0)
