#!/usr/bin/env bash
# Fuzzes both programs' dialogues at once (one core each) for SECONDS seconds,
# seeded with the transcript inputs. A crash, a sanitizer report, a leak or a
# timeout fails the run, and the input that caused it is printed.
#
#   .ci/fuzz.sh BUILD_DIRECTORY [SECONDS]
set -uo pipefail
build=$1
seconds=${2:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

declare -A pids
for program in varnel pindle; do
    mkdir -p "$work/$program/seeds" "$work/$program/corpus" "$work/$program/artifacts"
    cp tests/transcripts/"$program"/*.in "$work/$program/seeds/"
    "$build/bin/${program}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$work/$program/artifacts/" \
        "$work/$program/corpus" "$work/$program/seeds" > "$work/$program/log" 2>&1 &
    pids[$program]=$!
done

failed=0
for program in varnel pindle; do
    wait "${pids[$program]}"
    status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$program/log" | grep -o '[0-9]*$')
    corpus=$(find "$work/$program/corpus" -type f | wc -l)
    echo "$program: fuzzer status $status, ${runs:-?} inputs executed in ${seconds}s, $corpus inputs in the corpus"
    if [ "$status" != 0 ]; then
        failed=1
        tail -n 60 "$work/$program/log"
        for artifact in "$work/$program/artifacts"/*; do
            [ -f "$artifact" ] || continue
            echo "reproducer $(basename "$artifact") (run: $build/bin/${program}_fuzzer FILE):"
            od -A d -c "$artifact" | sed -n 1,40p
        done
    fi
done
exit "$failed"
