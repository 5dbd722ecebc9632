#!/usr/bin/env bash
# Runs the profile fuzzer for N seconds from the checked-in seeds, in a scratch corpus.
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
"$fuzzer" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$crashes/" corpus "$root/fuzz/seeds" >log 2>&1
status=$?
if [ $status -ne 0 ]; then
  tail -60 log
else
  grep -E 'stat::number_of_executed_units|DONE' log
fi
exit $status
