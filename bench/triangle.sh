#!/usr/bin/env bash
# How fast varnel streams a big triangle, next to a plain loop of 64 KiB
# write() calls of the same byte count into the same sink (dd from
# /dev/zero), and how much memory a big drawing takes.
#
#   bench/triangle.sh [VARNEL] [SIDE] [RUNS]
#
# VARNEL defaults to build/bin/varnel, SIDE to 10000 (all four orientations:
# about 900 MB), RUNS to 5; each figure is the best of RUNS. Needs GNU time
# (/usr/bin/time, Debian package `time`) for the memory figures.
set -euo pipefail
varnel=${1:-build/bin/varnel}
side=${2:-10000}
runs=${3:-5}

# Side, the 0-degree drawing, then 90, 180 and 270 degrees, then leave.
dialogue=$(printf '1\n%s\nr\nr\nr\nx\n0\n' "$side")
small_dialogue=$(printf '1\n10\nr\nr\nr\nx\n0\n')
bytes=$(printf '%s\n' "$dialogue" | "$varnel" | wc -c)

# shellcheck source=bench/best_time.sh
source "$(dirname "$0")/best_time.sh"

export DIALOGUE=$dialogue VARNEL=$varnel BYTES=$bytes
plain_writes='dd if=/dev/zero bs=65536 count="$BYTES" iflag=count_bytes status=none'
varnel_null=$(best_ns 'printf "%s\n" "$DIALOGUE" | "$VARNEL" > /dev/null')
plain_null=$(best_ns "$plain_writes > /dev/null")
varnel_pipe=$(best_ns 'printf "%s\n" "$DIALOGUE" | "$VARNEL" | wc -c > /dev/null')
plain_pipe=$(best_ns "$plain_writes | wc -c > /dev/null")

rate() { awk -v b="$bytes" -v ns="$1" 'BEGIN { printf "%8.0f MB/s", b / (ns / 1e9) / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b / a }'; }

echo "side $side, four orientations: $bytes bytes; best of $runs runs"
printf '  into /dev/null   varnel %s   64 KiB writes %s   ratio %s\n' \
    "$(rate "$varnel_null")" "$(rate "$plain_null")" "$(ratio "$varnel_null" "$plain_null")"
printf '  into | wc -c     varnel %s   64 KiB writes %s   ratio %s (target >= 0.9)\n' \
    "$(rate "$varnel_pipe")" "$(rate "$plain_pipe")" "$(ratio "$varnel_pipe" "$plain_pipe")"

if [ -x /usr/bin/time ]; then
    peak_kib() { printf '%s\n' "$1" | /usr/bin/time -f '%M' "$varnel" 2>&1 >/dev/null | tail -n 1; }
    small=$(peak_kib "$small_dialogue")
    large=$(peak_kib "$dialogue")
    printf '  peak resident    side 10: %s KiB   side %s: %s KiB   difference %s KiB (target <= 256)\n' \
        "$small" "$side" "$large" "$((large - small))"
else
    echo "  peak resident    skipped: /usr/bin/time is not installed (apt-get install time)"
fi
