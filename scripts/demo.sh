#!/usr/bin/env bash
# Installs what is missing, builds Tactolo and runs the main job: the beat
# analysis of the built-in drum pattern at 120 BPM.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target tactolo
./build/tactolo analyze synth:120
