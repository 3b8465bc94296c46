#!/usr/bin/env bash
# Runs the libFuzzer targets of the fuzz build (cmake --preset fuzz && cmake --build --preset
# fuzz): each replays its kept corpus (fuzz/corpus/NAME) and then mutates it for SECONDS.
#
#   scripts/fuzz.sh [SECONDS] [NAME...]     default: 10 seconds each, every target
#
# The test command runs them for a few seconds each; for a real hunt give an hour or a night
# (scripts/fuzz.sh 3600 FilterFuzz). New inputs are kept in build/fuzz/corpus/NAME; a crash
# leaves its input as build/fuzz/crash-NAME-*, to be replayed with build/fuzz/fuzz/NAME FILE.
# Worth keeping, minimised inputs go into fuzz/corpus/NAME.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
[[ $# -gt 0 ]] && shift
names=("$@")
[[ ${#names[@]} -gt 0 ]] || names=(SprintfFuzz EmailFuzz ViewFilterFuzz FilterFuzz ProfileFuzz RegistryFuzz)
for name in "${names[@]}"; do
  exe=build/fuzz/fuzz/$name
  [[ -x $exe ]] || { echo "fuzz.sh: $exe is not built (cmake --preset fuzz && cmake --build --preset fuzz)" >&2; exit 1; }
  mkdir -p "build/fuzz/corpus/$name"
  echo "== $name: $seconds s"
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="build/fuzz/crash-$name-" -print_final_stats=1 \
    "build/fuzz/corpus/$name" "fuzz/corpus/$name" 2>&1 | grep -E '^(stat::number_of_executed_units|==|SUMMARY|INFO: (Running|seed))|ERROR|Test unit written' || true
  # grep above keeps the log short; the fuzzer's own exit status decides.
  [[ ${PIPESTATUS[0]} -eq 0 ]] || { echo "fuzz.sh: $name failed" >&2; exit 1; }
done
