#!/usr/bin/env bash
# Sets up what is missing, builds the debug preset and runs the whole test suite,
# then runs each fuzz target briefly over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
source scripts/build_env.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j2

# A short pass of every fuzz target, so a target that no longer builds or
# crashes on its seeds fails here; scripts/fuzz.sh runs them for longer.
scripts/fuzz.sh 10
