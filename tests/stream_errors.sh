#!/usr/bin/env bash
# A program whose output cannot be written, or whose input cannot be read,
# says so in one line on standard error and ends with status 1; one whose
# reader goes away ends at once.
#
#   stream_errors.sh PROGRAM NAME INPUT [FAILING_CLOSE]
# TRANSCRIPT_RUNNER, when set, is a command that starts the program (such as
# an emulator). INPUT is a dialogue that prints something, and plenty when
# repeated; NAME is the program's name as it opens its error message.
# FAILING_CLOSE, when given, is a library to preload whose close() fails on
# standard output.
set -u
# shellcheck disable=SC2086 # the runner may be a command with arguments
program=$1
name=$2
input=$3
failing_close=${4:-}
runner=${TRANSCRIPT_RUNNER:-}
failed=0
work=$(mktemp -d)
writer=""
trap '[ -z "$writer" ] || kill "$writer" 2> /dev/null; rm -rf "$work"' EXIT

check() {  # description, expected status, expected stderr, actual status, actual stderr
    if [ "$4" != "$2" ] || [ "$5" != "$3" ]; then
        echo "$1: status $4 (expected $2), stderr '$5' (expected '$3')"
        failed=1
    fi
}

stderr=$(printf '%b' "$input" | $runner "$program" 2>&1 >/dev/full)
check "output on /dev/full" 1 "$name: write error: No space left on device" $? "$stderr"

# A descriptor the program was started without is closed, except where the
# runner puts /dev/null there (TRANSCRIPT_CLOSED=devnull: Node.js, which
# opens it for reading and writing, as a caller's `<>/dev/null` does; the
# two cannot be told apart, and /dev/null is no error).
closed_status=1 closed_write_error="$name: write error: Bad file descriptor"
closed_read_error="$name: read error: Bad file descriptor"
if [ "${TRANSCRIPT_CLOSED:-}" = devnull ]; then
    closed_status=0 closed_write_error="" closed_read_error=""
fi

stderr=$(printf '%b' "$input" | head -n 1 | $runner "$program" 2>&1 >&-)
check "output closed" "$closed_status" "$closed_write_error" $? "$stderr"

# /dev/null opened for reading and writing, as Python's DEVNULL opens it:
# nothing to read, everything taken.
# (Outside a command substitution: bash 5.2 there can leave a `1<>` undone.)
printf '%b' "$input" | head -n 1 | $runner "$program" 1<>/dev/null 2> "$work/stderr"
check "output /dev/null, read and write" 0 "" $? "$(cat "$work/stderr")"
$runner "$program" 0<>/dev/null > /dev/null 2> "$work/stderr"
check "input /dev/null, read and write" 0 "" $? "$(cat "$work/stderr")"

# A write lost at the last close of the output is a write error too. The
# sanitizers' runtime lets another library be preloaded before it.
if [ -n "$failing_close" ]; then
    stderr=$(printf '%b' "$input" | head -n 1 | ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=$failing_close \
        $runner "$program" 2>&1 >/dev/null)
    check "output fails at close" 1 "$name: write error: Input/output error" $? "$stderr"
    for option in --help --version; do
        stderr=$(ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=$failing_close $runner "$program" "$option" 2>&1 \
            >/dev/null)
        check "$option, output fails at close" 1 "$name: write error: Input/output error" $? "$stderr"
    done
fi

# Input that cannot be read is no end of input.
stderr=$($runner "$program" < / 2>&1 >/dev/null)
check "input a directory" 1 "$name: read error: Is a directory" $? "$stderr"

stderr=$($runner "$program" <&- 2>&1 >/dev/null)
check "input closed" "$closed_status" "$closed_read_error" $? "$stderr"

# Both lost: output is what the user misses, so it is the one reported.
stderr=$($runner "$program" <&- 2>&1 >&-)
check "input and output closed" "$closed_status" "$closed_write_error" $? "$stderr"

# A reader that goes away, while the program writes or while it waits for
# typing, meets the program as a write into a pipe without a reader would:
# killed by SIGPIPE (status 141) and silent where SIGPIPE has its default
# action, status 1 and a write error where it is ignored. Either way it ends
# at once: a correct program needs well under a second, so ten seconds are
# allowed; a wrong one waits for the 30 seconds its input stays open. Each
# case sets the disposition itself: whoever started this script may have
# ignored SIGPIPE. TRANSCRIPT_SIGPIPE=ignored says the runner ignores SIGPIPE
# whatever it is given and cannot watch the reader while the program waits
# (Node.js): a write error is expected in both, and the program meets the
# reader's going at its next write, not while it waits.
printf '%b' "$input" > "$work/input"
for _ in $(seq 17); do cat "$work/input" "$work/input" > "$work/twice" && mv "$work/twice" "$work/input"; done
more_than_a_pipe=$((2 * 1024 * 1024))
produced=$(env --ignore-signal=PIPE $runner "$program" < "$work/input" 2>/dev/null | head -c "$more_than_a_pipe" | wc -c)
if [ "$produced" != "$more_than_a_pipe" ]; then
    echo "the input makes only $produced bytes of output: too little to fill a pipe"
    failed=1
fi

mkfifo "$work/typed"
early_reader() {  # description, how SIGPIPE is set up for env, bytes the reader takes, input command
    local start elapsed_ms expected_status expected_stderr
    # The input comes through a named pipe from a writer of its own, which
    # is stopped afterwards: the case does not wait for its input to end.
    bash -c "$4" > "$work/typed" 2> /dev/null &
    writer=$!
    start=$(date +%s%N)
    {
        timeout 60 env "$2" $runner "$program" < "$work/typed" 2> "$work/stderr"
        echo $? > "$work/status"
        date +%s%N > "$work/end"
    } | head -c "$3" > /dev/null
    kill "$writer" 2> /dev/null
    wait "$writer" 2> /dev/null
    writer=""
    elapsed_ms=$(( ($(cat "$work/end") - start) / 1000000 ))
    if [ "$2" = --default-signal=PIPE ] && [ "${TRANSCRIPT_SIGPIPE:-}" != ignored ]; then
        expected_status=141 expected_stderr=""
    else
        expected_status=1 expected_stderr="$name: write error: Broken pipe"
    fi
    check "$1, $2" "$expected_status" "$expected_stderr" "$(cat "$work/status")" "$(cat "$work/stderr")"
    if [ "$elapsed_ms" -gt 10000 ]; then
        echo "$1, $2: the program took ${elapsed_ms} ms to end"
        failed=1
    fi
}
export INPUT_FILE="$work/input" FIRST_LINE
FIRST_LINE=$(printf '%b' "$input" | head -n 1)
for signal in --default-signal=PIPE --ignore-signal=PIPE; do
    early_reader "reader gone after 100 bytes of a long output" "$signal" 100 'exec cat "$INPUT_FILE"'
    early_reader "reader gone after 1000000 bytes of a long output" "$signal" 1000000 'exec cat "$INPUT_FILE"'
    # The input stays open: the program is waiting for more typing.
    [ "${TRANSCRIPT_SIGPIPE:-}" = ignored ] && continue
    early_reader "reader gone while the program waits" "$signal" 1 'printf "%s\n" "$FIRST_LINE"; exec sleep 30'
done
exit "$failed"
