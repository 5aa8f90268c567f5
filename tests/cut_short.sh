#!/usr/bin/env bash
# Input that ends early: for every transcript, the input cut after each of its
# lines must end the program with status 0, having printed a prefix of what
# the whole input prints.
#
#   cut_short.sh PROGRAM TRANSCRIPT_DIRECTORY
#
# TRANSCRIPT_ENCODING, when not UTF-8, is the program's console encoding;
# TRANSCRIPT_RUNNER, when set, a command that starts the program.
set -u
program=$1
directory=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
runs=0
for input in "$directory"/*.in; do
    expected="${input%.in}.out"
    [ -f "${input%.in}.status" ] || [ -f "${input%.in}.args" ] && continue
    if [ -n "${TRANSCRIPT_ENCODING:-}" ] && [ "$TRANSCRIPT_ENCODING" != UTF-8 ]; then
        iconv -f UTF-8 -t "$TRANSCRIPT_ENCODING" "$expected" > "$work/expected" || exit 1
        expected="$work/expected"
    fi
    lines=$(wc -l < "$input")
    for ((kept = 0; kept < lines; kept++)); do
        head -n "$kept" "$input" > "$work/input"
        # shellcheck disable=SC2086 # the runner may be a command with arguments
        timeout 60 ${TRANSCRIPT_RUNNER:-} "$program" < "$work/input" > "$work/output"
        status=$?
        runs=$((runs + 1))
        size=$(stat -c %s "$work/output")
        if [ "$status" != 0 ]; then
            echo "$(basename "$input") cut after $kept lines: status $status"
            failed=1
        elif ! cmp -s -n "$size" "$work/output" "$expected" || [ "$size" -gt "$(stat -c %s "$expected")" ]; then
            echo "$(basename "$input") cut after $kept lines: output is not a prefix of $(basename "$expected")"
            failed=1
        fi
    done
done
echo "$runs cut-short runs"
[ "$runs" -gt 0 ] || failed=1
exit "$failed"
