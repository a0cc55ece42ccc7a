#!/usr/bin/env bash
# The longer fuzzing run recorded in docs/fuzzing.md: each fuzz target of build/sanitize
# (scripts/build.sh makes it) for a million inputs, or as many as the first argument says,
# with the seeds and corpus of its CTest run; the second argument, a regular expression,
# picks targets by name. Prints one table row per target; the logs and any failing input
# stay in build/sanitize/fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/sanitize"
runs=${1:-1000000}
targets=${2:-.*}
status=0
echo "| Target | Inputs | Seconds | Inputs/s | Edges | Features | Corpus | Findings |"
echo "|---|---:|---:|---:|---:|---:|---:|---|"
while read -r command; do
    eval "set -- $command"
    name=$(basename "$1")
    log="$build/fuzz/$name.log"
    start=$(date +%s.%N)
    findings=none
    UBSAN_OPTIONS=print_stacktrace=1 "$@" -runs="$runs" -max_total_time=0 >"$log" 2>&1 || { findings="FAILED: $log"; status=1; }
    seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.0f", e - s }')
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    field() { sed -n "s/.* $1: \([0-9]*\).*/\1/p" <<<"$done_line"; }
    inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(awk -v n="${inputs:-0}" -v s="$seconds" 'BEGIN { printf "%.0f", n / (s > 0 ? s : 1) }')
    echo "| $name | ${inputs:-?} | $seconds | $rate | $(field cov) | $(field ft) | $(field corp) | $findings |"
done < <(ctest --test-dir "$build" -N -V -R "^fuzz\.($targets)\$" | sed -n 's/^[0-9]*: Test command: //p')
exit $status
