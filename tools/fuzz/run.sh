#!/usr/bin/env bash
# Runs a fuzz target for N seconds from its checked-in seeds (fuzz/seeds/<target>, the target's
# name without "orvelle_fuzz_"), in a scratch corpus; prints the runs and their rate.
set -uo pipefail
fuzzer=$1
seconds=${2:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
crashes="$root/build/fuzz-crashes"
mkdir -p "$crashes"
cd "$work"
# A finding exits 1: libFuzzer's own code for it, 77, is the code CTest takes for "skipped".
"$fuzzer" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 -print_final_stats=1 -error_exitcode=1 \
  -artifact_prefix="$crashes/" corpus "$root/fuzz/seeds/$(basename "$fuzzer" | sed 's/^orvelle_fuzz_//')" >log 2>&1
status=$?
if [ $status -ne 0 ]; then
  tail -60 log
else
  runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' log | grep -oE '[0-9]+$')
  echo "FIGURE fuzz_runs target=$(basename "$fuzzer") runs=${runs:-0} per_second=$(( ${runs:-0} / seconds ))"
fi
exit $status
