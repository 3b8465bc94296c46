#!/usr/bin/env bash
# Builds and runs every test: native, then with sanitizers, then cross-built under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --windows
jobs=$(nproc)
for preset in native asan; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset"
done
