#!/usr/bin/env bash
# Installs everything Tactolo needs to build and test on Debian 12 (run as root).
set -euo pipefail
packages=(
  build-essential cmake pkg-config git
  libfftw3-dev libsndfile1-dev libflac-dev libvorbis-dev libsamplerate0-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpulse-dev pulseaudio pulseaudio-utils
  libola-dev ola liblo-dev ableton-link-dev nlohmann-json3-dev  # the host side: DMX, OSC, Link, projects
  qt6-base-dev fonts-liberation2 xvfb xauth  # the desktop views (src/qt), their font, and a display for CI
  clang libclang-rt-14-dev  # the fuzz run (scripts/fuzz.sh): clang++ and libFuzzer
  python3-mir-eval  # the accuracy benchmark (bench/accuracy.py), run by /usr/bin/python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
