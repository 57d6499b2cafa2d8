#!/usr/bin/env bash
# Installs the Debian packages Velloran builds and tests with, when any is missing.
# Safe to run again: it installs nothing when everything is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-dev ccache
  qt6-base-dev libcurl4-openssl-dev zlib1g-dev libconcurrentqueue-dev libmimalloc-dev
  libasio-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
  fonts-nanum fonts-liberation xvfb xauth xdotool openbox libxcb1-dev
  alsa-utils dbus-daemon dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
