#!/usr/bin/env python3
"""A pipe left non-blocking takes what fits of a write and refuses the rest
until it is read: the browser build's host must hand on exactly the count
each write took, and try again later, so that the output through such a
pipe is the output into a file, byte for byte.

partial_writes.py NODE VARNEL_JS PINDLE_JS"""
import fcntl, os, select, subprocess, sys, tempfile, termios, time

node, varnel, pindle = sys.argv[1:4]
scripts = {
    varnel: b"1\n400\nl\nl\nl\nx\n0\n",  # some 5 MB of triangles
    pindle: b"1 2 x\n" * 100000 + b"0\n",
}
failed = False
for program, script in scripts.items():
    with tempfile.TemporaryFile() as into_file:
        plain = subprocess.run([node, program], input=script, stdout=into_file, stderr=subprocess.PIPE)
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
    status = child.wait(60)
    complaints = child.stderr.read().decode("utf-8", "replace")
    name = os.path.basename(program)
    if len(expected) < 4 * room:
        print(f"{name}: only {len(expected)} bytes of output, too few to fill the pipe")
        failed = True
    if bytes(printed) != expected or status != 0 or complaints or plain.returncode != 0:
        print(f"{name}: {len(printed)} bytes through a non-blocking pipe, {len(expected)} into a file; "
              f"status {status}, standard error {complaints!r}")
        failed = True
    else:
        print(f"{name}: {len(printed)} bytes through a non-blocking pipe, the same as into a file")
sys.exit(1 if failed else 0)
