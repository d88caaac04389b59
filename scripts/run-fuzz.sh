#!/bin/bash
# Runs every fuzz target of the fuzz build for a while, one after another, and
# prints the executions of each. Usage: run-fuzz.sh BUILD_DIR SECONDS_PER_TARGET [TARGET...]
set -euo pipefail

build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(grep -v '^$' "$build/fuzz-targets.txt")
source_dir=$(cd "$(dirname "$0")/.." && pwd)
report=$build/fuzz-report.txt
mkdir -p "$build/fuzz-crashes" "$build/fuzz-logs"
: >"$report"

total=0
failed=0
for target in "${targets[@]}"; do
    mkdir -p "$build/fuzz-corpus/$target"
    log=$build/fuzz-logs/$target.log
    status=ok
    # Seeds from the repository; what the run finds stays in the build's corpus.
    "$build/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -max_len=8192 -timeout=10 \
        -rss_limit_mb=1024 -artifact_prefix="$build/fuzz-crashes/$target-" \
        "$build/fuzz-corpus/$target" "$source_dir/tests/fuzz/corpus/$target" >"$log" 2>&1 || status=FAILED
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    runs=${runs:-0}
    total=$((total + runs))
    [ "$status" = ok ] || failed=1
    printf '%-20s %12d executions in %ss  %s\n' "$target" "$runs" "$seconds" "$status" | tee -a "$report"
done
printf '%-20s %12d executions\n' total "$total" | tee -a "$report"
[ "$failed" -eq 0 ] || { echo "fuzz: a target failed; see $build/fuzz-logs and $build/fuzz-crashes" >&2; exit 1; }
