#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from a copy of its seed corpus and
# prints how many inputs it ran. Fails on any finding.
set -euo pipefail
target=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$seeds/." "$work/"
"$target" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 "$work" 2>"$work.log" || {
  tail -50 "$work.log"
  exit 1
}
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work.log" | sed "s|^|$(basename "$target") |"
rm -f "$work.log"
