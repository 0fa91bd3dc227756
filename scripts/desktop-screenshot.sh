#!/usr/bin/env bash
# CI: tactolo-desktop under Xvfb against a private sound server (see
# pulse-server.sh) while a 120 BPM click track plays into its null sink. The
# desktop starts the capture, takes a screenshot of the host window with the
# tool window shown and the beat indicator lit, and ends; the image is kept as
# a build artefact, and its path printed.
#
#   desktop-screenshot.sh [BUILD_FOLDER]     # default: build
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out="$(pwd)/$build/artifacts/tactolo-desktop.png"
work=$(mktemp -d "${TMPDIR:-/tmp}/tactolo-screenshot.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/data" "$(dirname "$out")"

# A show to look at: the simple sound-energy method (it suits clicks), sACN to
# this machine, a flash on the first eight channels and a chase over the next
# eight.
cat >"$work/stage.json" <<'JSON'
{
  "format": 1,
  "settings": {"TactoloMain_AlgorithmIndex": "1"},
  "outputs": {"dmx": "sacn", "sacn": {"unicast": ["127.0.0.1"]}},
  "actions": [
    {"kind": "flash", "holdMs": 200, "channels": [
      {"channel": 1, "value": 255}, {"channel": 2, "value": 255}, {"channel": 3, "value": 255},
      {"channel": 4, "value": 255}, {"channel": 5, "value": 200}, {"channel": 6, "value": 200},
      {"channel": 7, "value": 200}, {"channel": 8, "value": 200}]},
    {"kind": "chase", "steps": [
      [{"channel": 9, "value": 255}, {"channel": 10, "value": 255}],
      [{"channel": 11, "value": 255}, {"channel": 12, "value": 255}],
      [{"channel": 13, "value": 255}, {"channel": 14, "value": 255}],
      [{"channel": 15, "value": 255}, {"channel": 16, "value": 255}]]}
  ]
}
JSON

export TACTOLO_DESKTOP="$(pwd)/$build/tactolo-desktop" TACTOLO_SCREENSHOT="$out" TACTOLO_PROJECT="$work/stage.json"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
bash scripts/pulse-server.sh bash -c '
  # The click track: a 5 ms noise burst every 500 ms over a faint hiss, as
  # raw stereo float frames at 44100 Hz, for as long as it is read.
  python3 -c "
import math, struct, sys
loop = b\"\".join(struct.pack(\"<ff\", v, v) for v in
                 ((0.9 if i < 220 else 0.009) * math.sin(0.37 * i * i) for i in range(22050)))
try:
    while True:
        sys.stdout.buffer.write(loop)
except BrokenPipeError:
    pass
" | pacat --raw --device=vsink --format=float32le --rate=44100 --channels=2 2>/dev/null &
  player=$!
  status=0
  xvfb-run -a -s "-screen 0 1280x900x24" timeout 90 "$TACTOLO_DESKTOP" --screenshot "$TACTOLO_SCREENSHOT" \
    "$TACTOLO_PROJECT" || status=$?
  kill "$player" 2>/dev/null || true
  exit "$status"
'
