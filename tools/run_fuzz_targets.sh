#!/usr/bin/env bash
# Runs every libFuzzer binary of a folder for SECONDS each on a scratch copy of its seed corpus,
# JOBS at a time. Prints each target's executed-unit count in name order; a target that fails
# fails the run after the others end, with the tail of its log.
# A target with a dictionary (fuzz/<name>.dict) runs with it.
# Usage: tools/run_fuzz_targets.sh FOLDER SECONDS JOBS
set -uo pipefail
folder=$1
seconds=$2
jobs=$3
source_dir=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One target: its scratch corpus, its log and its exit status under $scratch/<name>.
run_target() {
    local target=$1 name work dictionary=()
    name=$(basename "$target")
    work=$scratch/$name
    mkdir -p "$work/corpus"
    if [ -d "$source_dir/fuzz/corpus/$name" ]; then cp -r "$source_dir/fuzz/corpus/$name/." "$work/corpus/"; fi
    if [ -f "$source_dir/fuzz/$name.dict" ]; then dictionary=(-dict="$source_dir/fuzz/$name.dict"); fi
    "$target" "${dictionary[@]}" -max_total_time="$seconds" -artifact_prefix="$work/artifact-" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 "$work/corpus" > "$work/log" 2>&1
    echo $? > "$work/status"
}

targets=()
for target in "$folder"/*_fuzz; do
    [ -x "$target" ] && targets+=("$target")
done
if [ ${#targets[@]} -eq 0 ]; then
    echo "No fuzz targets in $folder"
    exit 1
fi
echo "Fuzzing ${#targets[@]} targets for $seconds s each, $jobs at a time"

running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
    run_target "$target" &
    running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
    name=$(basename "$target")
    status=$(cat "$scratch/$name/status" 2>/dev/null || echo 1)
    echo "== $name ($seconds s)"
    if [ "$status" != 0 ]; then
        echo "FAILED (exit $status); the log's tail:"
        tail -n 60 "$scratch/$name/log"
        failed=$((failed + 1))
        continue
    fi
    grep -E '^stat::number_of_executed_units' "$scratch/$name/log" || true
done
if [ "$failed" -ne 0 ]; then
    echo "$failed of ${#targets[@]} fuzz targets failed"
    exit 1
fi
echo "All ${#targets[@]} fuzz targets passed"
