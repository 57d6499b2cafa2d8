#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds
# (default 600). Seed corpora are written by the targets' own seed generator.
#   scripts/fuzz.sh [seconds] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build_env.sh

seconds=${1:-600}
shift || true

cmake --preset fuzz >/dev/null
# Quiet unless the build fails, then its last lines say why.
if ! built=$(cmake --build --preset fuzz 2>&1); then
  echo "$built" | tail -40 >&2
  exit 1
fi

targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(cd build/fuzz/fuzz && ls -1 | grep "^fuzz_" | grep -v "\.")
fi

mkdir -p fuzz/artifacts
shopt -s nullglob
# Files libFuzzer writes for a fault: a crash (or sanitizer report), a leak,
# a unit over the time limit, a unit over the memory limit.
faults() { printf '%s\n' fuzz/artifacts/{crash,leak,timeout,oom}-* | sed '/^$/d' | sort; }
for t in "${targets[@]}"; do
  corpus=fuzz/corpus/${t#fuzz_}
  mkdir -p "$corpus"
  build/fuzz/fuzz/seeds_${t#fuzz_} "$corpus"
  before=$(faults)
  echo "fuzz: $t for ${seconds}s"
  status=0
  build/fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=fuzz/artifacts/ "$corpus" >"fuzz/artifacts/$t.log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss|==|SUMMARY|ERROR)' \
    "fuzz/artifacts/$t.log" || true
  found=$(comm -13 <(echo "$before") <(faults) | sed '/^$/d')
  if [[ -n "$found" || $status -ne 0 ]]; then
    echo "fuzz: $t found a fault (exit $status); see fuzz/artifacts/$t.log${found:+ and:}" >&2
    [[ -n "$found" ]] && echo "$found" >&2
    exit 1
  fi
done
