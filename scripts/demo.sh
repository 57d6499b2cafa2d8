#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the client on the built-in demo
# market. Without a display the client runs offscreen, logs in by itself and
# writes a screenshot of its main window every run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
source scripts/build_env.sh
cmake --preset release >/dev/null
cmake --build --preset release --target velloran
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  shot="$PWD/build/velloran-demo.png"
  echo "No display here: Velloran runs offscreen and writes its main window to $shot after 5 s."
  echo "Press Ctrl+C to stop it."
  exec build/release/velloran --demo --screenshot "$shot" "$@"
fi
exec build/release/velloran --demo "$@"
