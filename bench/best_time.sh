# Sourced by the benchmarks: best_ns COMMAND prints the best wall time, in
# nanoseconds, of $runs runs of a shell command.
best_ns() {
    local best=0 start elapsed
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        bash -c "$1"
        elapsed=$(( $(date +%s%N) - start ))
        if [ "$best" = 0 ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
    done
    echo "$best"
}
