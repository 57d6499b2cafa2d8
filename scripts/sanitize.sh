#!/usr/bin/env bash
# Builds and runs the whole test suite under the address and undefined-
# behaviour sanitizers, then the tests that cross threads (labelled
# "threaded") under the thread sanitizer.
#   scripts/sanitize.sh [asan|tsan]   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build_env.sh

which=("$@")
if ((${#which[@]} == 0)); then which=(asan tsan); fi
for preset in "${which[@]}"; do
  cmake --preset "$preset" >/dev/null
  if [[ "$preset" == tsan ]]; then
    # Only the threaded tests' programs (and what they start).
    mapfile -t targets < <(cmake --build --preset tsan --target help | sed -n 's/^\([a-z_]*_tests\): .*/\1/p' |
      grep -E '^(net|app|platform|hoga|replay)_')
    cmake --build --preset tsan --target "${targets[@]}" velloran velloran-server QZCommDEC
    ctest --preset tsan -j2 -L threaded
  else
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j2
  fi
done
