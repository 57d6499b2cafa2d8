#!/usr/bin/env bash
# Builds the release preset and runs every benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
for b in build/release/bench/bench_*; do
  [[ -x "$b" ]] && "$b" "$@"
done
