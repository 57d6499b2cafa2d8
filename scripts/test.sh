#!/usr/bin/env bash
# Sets up what is missing, builds the debug preset and runs the whole test suite.
# CI also runs each fuzz target briefly (scripts/fuzz.sh 10) and the sanitizer
# builds (scripts/sanitize.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
source scripts/build_env.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j2
