#!/usr/bin/env bash
# Builds the VU configuration reader's fuzz target with clang and runs it for
# a bounded time (default 60 s) from generated seed files. A crash, a
# sanitizer report or a broken round trip fails the run. Without clang++ the
# run is skipped with a notice.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ not found: the fuzz run is SKIPPED (install clang and libclang-rt-14-dev)" >&2
  exit 0
fi

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTACTOLO_WERROR=ON \
  -DTACTOLO_FUZZ=ON -DBUILD_TESTING=OFF -DTACTOLO_BENCHMARKS=OFF
cmake --build "$build" -j2 --target vuconf_reader_fuzz

# Seeds: a stereo file with CR LF, a mono file with LF only, fractions, an
# umlaut and an undefined Windows-1252 byte in its name, and a short file.
seeds=$build/fuzz/seeds
corpus=$build/fuzz/corpus
mkdir -p "$seeds" "$corpus"
seed() {  # file line-end name mode size
  local file=$1 eol=$2
  {
    printf '%s%b%s%b%s%b' "$3" "$eol" "$4" "$eol" "$5" "$eol"
    for i in $(seq 0 31); do
      for v in True False $((i * 8)) 255 128.5 0 $((i + 1)) $((3 * i + 1)) $((3 * i + 2)) $((3 * i + 3)); do
        printf '%s%b' "$v" "$eol"
      done
    done
  } >"$file"
}
seed "$seeds/stereo.vuconf" '\r\n' 'Stage left' True 16
seed "$seeds/mono-lf.vuconf" '\n' $'B\xfchne \x81' false 4.5
head -n 322 "$seeds/stereo.vuconf" >"$seeds/short.vuconf"

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$build/fuzz/vuconf_reader_fuzz" -max_total_time="$seconds" -max_len=4096 -dict=fuzz/vuconf.dict \
  -print_final_stats=1 "$corpus" "$seeds"
