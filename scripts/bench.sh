#!/usr/bin/env bash
# Builds the release preset and runs every benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
source scripts/build_env.sh
cmake --preset release >/dev/null
# Quiet unless the build fails, then its last lines say why.
if ! built=$(cmake --build --preset release 2>&1); then
  echo "$built" | tail -40 >&2
  exit 1
fi
for b in build/release/bench/bench_*; do
  [[ -x "$b" ]] && "$b" "$@"
done
