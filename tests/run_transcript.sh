#!/usr/bin/env bash
# Runs a program on one transcript's input and compares, byte for byte, its
# standard output with the transcript's, its standard error with NAME.err
# (empty when there is none), and its exit status with the expected one
# (NAME.status, or 0).
#
#   run_transcript.sh PROGRAM NAME     reads NAME.in, NAME.out, NAME.err,
#                                      NAME.status and NAME.args, the
#                                      program's arguments (none when there
#                                      is no such file)
#
# "@VERSION@" in NAME.out stands for the version the programs were built as.
#
# Environment:
#   TRANSCRIPT_VERSION   that version, such as 1.2.0
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

# The expected output and error, as the program writes them: in its
# encoding, with its version, and with CR LF where it ends lines so.
expect() {  # transcript file, where the expected bytes go
    if [ ! -f "$1" ]; then
        : > "$2"
        return
    fi
    if grep -qF '@VERSION@' "$1" && [ -z "${TRANSCRIPT_VERSION:-}" ]; then
        echo "$1 names @VERSION@, but TRANSCRIPT_VERSION is not set" >&2
        return 1
    fi
    sed "s/@VERSION@/${TRANSCRIPT_VERSION:-}/g" "$1" > "$2.utf-8" || return 1
    if [ -n "${TRANSCRIPT_ENCODING:-}" ] && [ "$TRANSCRIPT_ENCODING" != UTF-8 ]; then
        if ! iconv -f UTF-8 -t "$TRANSCRIPT_ENCODING" "$2.utf-8" > "$2.encoded"; then
            echo "cannot convert $1 to $TRANSCRIPT_ENCODING" >&2
            return 1
        fi
    else
        mv "$2.utf-8" "$2.encoded"
    fi
    if [ "${TRANSCRIPT_CRLF:-0}" = 1 ]; then
        perl -pe 's/\n/\r\n/' "$2.encoded" > "$2"
    else
        mv "$2.encoded" "$2"
    fi
}
expect "$name.out" "$work/expected" || exit 1
expect "$name.err" "$work/expected_stderr" || exit 1

# shellcheck disable=SC2086 # the runner may be a command with arguments
${TRANSCRIPT_RUNNER:-} "$program" "${arguments[@]}" < "$name.in" > "$work/actual" 2> "$work/stderr"
status=$?

failed=0
if ! cmp -s "$work/expected" "$work/actual"; then
    echo "output differs from $name.out (- expected, + actual):"
    diff -u "$work/expected" "$work/actual" | head -n 60
    cmp "$work/expected" "$work/actual" | head -n 1
    failed=1
fi
if ! cmp -s "$work/expected_stderr" "$work/stderr"; then
    echo "standard error differs from ${name}.err (- expected, + actual):"
    diff -u "$work/expected_stderr" "$work/stderr" | head -n 20
    failed=1
fi
if [ "$status" != "$expected_status" ]; then
    echo "exit status $status, expected $expected_status"
    failed=1
fi
exit "$failed"
