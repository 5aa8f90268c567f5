#!/usr/bin/env bash
# The cells and signs must come out as the exact bytes of the build's
# encoding, whole lines compared so that no pair of bytes matches by chance
# across two characters.
#
#   encoded_bytes.sh VARNEL ENCODING      (ENCODING: UTF-8 or CP949)
# TRANSCRIPT_RUNNER and TRANSCRIPT_CRLF as for run_transcript.sh.
set -u
program=$1
encoding=$2
export LC_ALL=C

case "$encoding" in
    UTF-8) blank=$'\xE3\x80\x80' apex=$'\xE2\x96\xB3' edge=$'\xE2\x96\xB2' ring=$'\xCB\x9A' therefore=$'\xE2\x88\xB4' ;;
    CP949) blank=$'\xA1\xA1' apex=$'\xA1\xE2' edge=$'\xA1\xE3' ring=$'\xA2\xAA' therefore=$'\xA1\xC5' ;;
    *) echo "unknown encoding $encoding"; exit 1 ;;
esac

# A side-2 triangle at 0, 90 and 180 degrees, then one comparison.
# shellcheck disable=SC2086 # the runner may be a command with arguments
output=$(printf '1\n2\nr\nr\nx\n2\n1\n2\n3\nn\n0\n' | ${TRANSCRIPT_RUNNER:-} "$program")
failed=0
if [ "${TRANSCRIPT_CRLF:-0}" = 1 ]; then
    bare_line_ends=$(grep -c -v $'\r$' <<< "$output")
    if [ "$bare_line_ends" != 0 ]; then
        echo "$bare_line_ends lines end without CR"
        failed=1
    fi
    output=${output//$'\r'/}
fi
expect_line() {  # description, exact line
    if ! grep -qxF -e "$2" <<< "$output"; then
        echo "no line '$1': $(printf '%s' "$2" | od -An -tx1)"
        failed=1
    fi
}
expect_line "0 ring" "0${ring}"
expect_line "apex" "${apex}"
expect_line "edge edge" "${edge}${edge}"
expect_line "edge apex" "${edge}${apex}"
expect_line "blank apex" "${blank}${apex}"
expect_line "blank blank [SYSTEM] main_menu_power ..." "${blank}${blank}[SYSTEM] main_menu_power $(
    grep -F "[SYSTEM] main_menu_power " <<< "$output" | head -n 1 | sed 's/.*main_menu_power //')"
expect_line "therefore a < b < c ..." "${therefore} a < b < c $(
    grep -F " a < b < c " <<< "$output" | head -n 1 | sed 's/.* a < b < c //')"
exit "$failed"
