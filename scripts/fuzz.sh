#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds
# (default 600). Seed corpora are written by the targets' own seed generator.
#   scripts/fuzz.sh [seconds] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(cd build/fuzz/fuzz && ls -1 | grep "^fuzz_" | grep -v "\.")
fi

mkdir -p fuzz/artifacts
for t in "${targets[@]}"; do
  corpus=fuzz/corpus/${t#fuzz_}
  mkdir -p "$corpus"
  build/fuzz/fuzz/seeds_${t#fuzz_} "$corpus"
  echo "fuzz: $t for ${seconds}s"
  build/fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=fuzz/artifacts/ "$corpus" 2>&1 | grep -E '^(stat::number_of_executed_units|stat::peak_rss|==|SUMMARY|ERROR)' || true
  if ls fuzz/artifacts/crash-* fuzz/artifacts/leak-* fuzz/artifacts/timeout-* >/dev/null 2>&1; then
    echo "fuzz: $t found a fault; see fuzz/artifacts" >&2
    exit 1
  fi
done
