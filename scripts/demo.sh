#!/usr/bin/env bash
# The main job: builds quillo-sim and runs it on the built-in demo profile with the demo script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target quillo-sim
exec build/native/app/quillo-sim --script app/demo.script "$@"
