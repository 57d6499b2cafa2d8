#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the client on the built-in demo market.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [[ -x build/release/velloran ]]; then
  exec build/release/velloran --demo "$@"
fi
echo "The client is not built yet: this command will start Velloran on the built-in demo market once it is."
