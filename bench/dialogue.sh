#!/usr/bin/env bash
# How fast each program answers a long scripted dialogue, next to `cat` of
# the same output bytes into the same pipe; how many write() calls it makes;
# and how much memory it takes.
#
#   bench/dialogue.sh [VARNEL] [PINDLE] [PASSES] [LINES] [RUNS]
#
# VARNEL and PINDLE default to build/bin/varnel and build/bin/pindle. varnel
# gets PASSES (200000) passes through all three tools, pindle LINES (2000000)
# lines of choices, junk and several numbers per line, and as many lines
# that are mostly complaints. Each time is the best of RUNS (5). The write()
# count needs strace, the instruction count valgrind, the memory figures GNU
# time (/usr/bin/time); each is skipped where it is not installed.
set -euo pipefail
varnel=${1:-build/bin/varnel}
pindle=${2:-build/bin/pindle}
passes=${3:-200000}
lines=${4:-2000000}
runs=${5:-5}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One pass: a side-3 triangle turned once, a comparison, a sum.
varnel_pass='1\n3\nl\nx\n2\n3\n1\n2\nn\n3\n1\n7 2\nn\n'
make_varnel_script() {  # passes
    awk -v n="$1" -v pass="$varnel_pass" 'BEGIN { gsub(/\\n/, "\n", pass); for (i = 0; i < n; i++) printf "%s", pass; print "0" }'
}
# Ten lines: choices, numbers out of range, junk, several numbers on a line.
pindle_block='1\n2\n7\nabc\n1 2 1\n-5\n2x\n\n  2\n9 1 2\n'
make_pindle_script() {  # lines
    awk -v n="$1" -v block="$pindle_block" 'BEGIN { gsub(/\\n/, "\n", block); for (i = 0; i < n / 10; i++) printf "%s", block; print "0" }'
}
# Mostly complaints: lines drawn at random (the same every run) from these.
pindle_junk_lines='1\n2\n3\nabc\n1 2\n7x'
make_pindle_junk_script() {  # lines
    awk -v n="$1" -v pick="$pindle_junk_lines" 'BEGIN { k = split(pick, lines, "\n"); srand(1); for (i = 0; i < n; i++) print lines[int(rand() * k) + 1]; print "0" }'
}
make_varnel_script "$passes" > "$work/varnel.in"
make_varnel_script 10 > "$work/varnel-small.in"
make_pindle_script "$lines" > "$work/pindle.in"
make_pindle_script 100 > "$work/pindle-small.in"
make_pindle_junk_script "$lines" > "$work/pindle-junk.in"
make_pindle_junk_script 100 > "$work/pindle-junk-small.in"

# shellcheck source=bench/best_time.sh
source "$(dirname "$0")/best_time.sh"
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f s", ns / 1e9 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

report() {  # name, program, target ratio
    local name=$1 program=$2 target=$3 input="$work/$1.in" output="$work/$1.out"
    "$program" < "$input" > "$output"
    local bytes
    bytes=$(wc -c < "$output")
    export PROGRAM=$program INPUT=$input OUTPUT=$output
    local program_ns cat_ns
    program_ns=$(best_ns '"$PROGRAM" < "$INPUT" | wc -c > /dev/null')
    cat_ns=$(best_ns 'cat "$OUTPUT" | wc -c > /dev/null')
    echo "$name: $(wc -l < "$input") input lines, $bytes output bytes; best of $runs runs into | wc -c"
    printf '  %-8s %s   cat %s   ratio %s (target <= %s)\n' \
        "$name" "$(seconds "$program_ns")" "$(seconds "$cat_ns")" "$(ratio "$program_ns" "$cat_ns")" "$target"

    if command -v strace > /dev/null; then
        strace -c -e trace=write,read -o "$work/strace" "$program" < "$input" | wc -c > /dev/null
        local writes reads
        writes=$(awk '$NF == "write" { print $4 }' "$work/strace")
        reads=$(awk '$NF == "read" { print $4 }' "$work/strace")
        printf '  write() calls %s, read() calls %s (output / 64 KiB = %s)\n' \
            "${writes:-0}" "${reads:-0}" "$(( (bytes + 65535) / 65536 ))"
    else
        echo "  write() calls: skipped, strace is not installed (apt-get install strace)"
    fi

    # Instructions counted by callgrind, less those of a run that reads only
    # the closing 0: they move far less than times do on this machine.
    if command -v valgrind > /dev/null; then
        local all start_only
        instructions() { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$program" < "$1" 2>&1 >/dev/null |
            awk '/Collected/ { print $NF }'; }
        all=$(instructions "$input")
        printf '0\n' > "$work/zero.in"
        start_only=$(instructions "$work/zero.in")
        printf '  instructions per input line (callgrind): %s\n' \
            "$(awk -v a="$all" -v s="$start_only" -v n="$(wc -l < "$input")" 'BEGIN { printf "%.1f", (a - s) / n }')"
    else
        echo "  instructions: skipped, valgrind is not installed (apt-get install valgrind)"
    fi

    if [ -x /usr/bin/time ]; then
        local small large
        small=$(/usr/bin/time -f '%M' "$program" < "$work/$name-small.in" 2>&1 >/dev/null | tail -n 1)
        large=$(/usr/bin/time -f '%M' "$program" < "$input" 2>&1 >/dev/null | tail -n 1)
        printf '  peak resident: short dialogue %s KiB, long dialogue %s KiB\n' "$small" "$large"
    else
        echo "  peak resident: skipped, /usr/bin/time is not installed (apt-get install time)"
    fi
}

report varnel "$varnel" 1.5
report pindle "$pindle" 2
report pindle-junk "$pindle" 2
