#!/usr/bin/env bash
# Runs a program on one transcript's input and compares, byte for byte, its
# standard output with the transcript's, and its exit status with the
# expected one (NAME.status, or 0).
#
#   run_transcript.sh PROGRAM NAME     reads NAME.in, NAME.out, NAME.status
#                                      and NAME.args, the program's arguments
#                                      (none when there is no such file)
#
# Environment:
#   TRANSCRIPT_ENCODING  the program's console encoding when not UTF-8: the
#                        expected output is converted to it with iconv
#   TRANSCRIPT_RUNNER    a command that starts the program (such as wine)
#   TRANSCRIPT_CRLF      when 1, every line of the output must end in CR LF
set -u
program=$1
name=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected_status=0
if [ -f "$name.status" ]; then
    expected_status=$(cat "$name.status")
fi

arguments=()
if [ -f "$name.args" ]; then
    read -ra arguments < "$name.args"
fi

expected="$name.out"
if [ -n "${TRANSCRIPT_ENCODING:-}" ] && [ "$TRANSCRIPT_ENCODING" != UTF-8 ]; then
    if ! iconv -f UTF-8 -t "$TRANSCRIPT_ENCODING" "$name.out" > "$work/expected"; then
        echo "cannot convert $name.out to $TRANSCRIPT_ENCODING" >&2
        exit 1
    fi
    expected="$work/expected"
fi

if [ "${TRANSCRIPT_CRLF:-0}" = 1 ]; then
    perl -pe 's/\n/\r\n/' "$expected" > "$work/expected.crlf"
    expected="$work/expected.crlf"
fi

# shellcheck disable=SC2086 # the runner may be a command with arguments
${TRANSCRIPT_RUNNER:-} "$program" "${arguments[@]}" < "$name.in" > "$work/actual" 2> "$work/stderr"
status=$?

failed=0
if ! cmp -s "$expected" "$work/actual"; then
    echo "output differs from $expected (- expected, + actual):"
    diff -u "$expected" "$work/actual" | head -n 60
    cmp "$expected" "$work/actual" | head -n 1
    failed=1
fi
if [ "$status" != "$expected_status" ]; then
    echo "exit status $status, expected $expected_status"
    cat "$work/stderr"
    failed=1
fi
exit "$failed"
