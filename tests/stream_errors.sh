#!/usr/bin/env bash
# A program whose output cannot be written, or whose input cannot be read,
# says so in one line on standard error and ends with status 1; one whose
# reader goes away ends at once.
#
#   stream_errors.sh PROGRAM NAME INPUT
# INPUT is a dialogue that prints plenty; NAME is the program's name as it
# opens its error message.
set -u
program=$1
name=$2
input=$3
failed=0

check() {  # description, expected status, expected stderr, actual status, actual stderr
    if [ "$4" != "$2" ] || [ "$5" != "$3" ]; then
        echo "$1: status $4 (expected $2), stderr '$5' (expected '$3')"
        failed=1
    fi
}

stderr=$(printf '%b' "$input" | "$program" 2>&1 >/dev/full)
check "output on /dev/full" 1 "$name: write error: No space left on device" $? "$stderr"

stderr=$(printf '%b' "$input" | "$program" 2>&1 >&-)
check "output closed" 1 "$name: write error: Bad file descriptor" $? "$stderr"

# Input that cannot be read is no end of input.
stderr=$("$program" < / 2>&1 >/dev/null)
check "input a directory" 1 "$name: read error: Is a directory" $? "$stderr"

stderr=$("$program" <&- 2>&1 >/dev/null)
check "input closed" 1 "$name: read error: Bad file descriptor" $? "$stderr"

# Both lost: output is what the user misses, so it is the one reported.
stderr=$("$program" <&- 2>&1 >&-)
check "input and output closed" 1 "$name: write error: Bad file descriptor" $? "$stderr"

# A reader that stops early: the program must end by itself, killed by
# SIGPIPE (status 141) or with a write error, within a second.
early_reader() {  # bytes read before the reader goes away
    local start elapsed_ms statuses
    start=$(date +%s%N)
    printf '%b' "$input" | timeout 10 "$program" 2>/dev/null | head -c "$1" >/dev/null
    statuses=("${PIPESTATUS[@]}")
    elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
    case "${statuses[1]}" in
        141|1|0) ;;
        *) echo "reader gone after $1 bytes: status ${statuses[1]}"; failed=1 ;;
    esac
    if [ "$elapsed_ms" -gt 1000 ]; then
        echo "reader gone after $1 bytes: the program took ${elapsed_ms} ms to end"
        failed=1
    fi
}
early_reader 100
early_reader 1000000
exit "$failed"
