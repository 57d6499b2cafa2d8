#!/usr/bin/env bash
# Builds the Debian package of the release build: build/release/velloran_*.deb.
# Install it with `sudo apt install ./build/release/velloran_*.deb`; the
# desktop menu then lists Velloran.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
source scripts/build_env.sh
cmake --preset release >/dev/null
type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' build/release/CMakeCache.txt)
if [[ "$type" != "Release" ]]; then
  echo "package: build/release is a $type build, not Release" >&2
  exit 1
fi
cmake --build --preset release --target velloran QZCommDEC
(cd build/release && cpack -G DEB)
ls -l build/release/velloran_*.deb
