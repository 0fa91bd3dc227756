#!/usr/bin/env bash
# A private PulseAudio server for tests and CI: no desktop, no sound card, no
# effect on any other server of the machine.
#
#   pulse-server.sh [--dir DIR] [--memfd] COMMAND [ARG...]
#       runs COMMAND with PULSE_SERVER (and the server's HOME and runtime
#       folders) exported while the server runs, stops the server after and
#       exits with COMMAND's status.
#   pulse-server.sh [--dir DIR] [--memfd] --serve
#       prints "pid=PID", "server=ADDRESS", "home=PATH" (a HOME for the
#       server's clients), "fifo=PATH" and "ready" once the
#       server answers, then keeps it running until standard input closes
#       (the test harness keeps a pipe open for as long as it needs it).
#
# The server has a null sink "vsink" (44100 Hz, stereo, float), whose monitor
# "vsink.monitor" hears whatever is played into it, and a pipe source
# "fifosrc" that records the raw float frames written to DIR/fifo.src. It is
# stopped by its PID when this script ends, however it ends. Without --dir the
# folder is a fresh temporary one, removed at the end; with --dir it is kept,
# so that a server started again in it has the same address.
#
# The server hands audio to its clients in POSIX shared memory, which works
# in any container. --memfd makes it use memfd segments instead, as desktop
# servers do: a client then maps them once rather than once per block of
# audio (the live benchmark measures the CPU of a capture both ways).
#
# Exit status 3 when the server cannot be started (its log goes to stderr).
set -euo pipefail

dir=""
memfd=no
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir=$2; shift 2 ;;
    --memfd) memfd=yes; shift ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 [--dir DIR] [--memfd] COMMAND [ARG...] | [--dir DIR] [--memfd] --serve" >&2
  exit 2
fi

if [ -z "$dir" ]; then
  dir=$(mktemp -d "${TMPDIR:-/tmp}/tactolo-pulse.XXXXXX")
  remove_dir=1
else
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  remove_dir=0
fi

export HOME="$dir/home"
export XDG_RUNTIME_DIR="$dir/xdg"
export PULSE_RUNTIME_PATH="$dir/runtime"
export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH"
chmod 700 "$HOME" "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH"
# A stale socket of an earlier server in the same folder would answer nothing.
rm -f "$PULSE_RUNTIME_PATH/native"
fifo="$dir/fifo.src"

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    # Up to 2 s for a clean exit, then for good.
    for _ in $(seq 40); do
      kill -0 "$server_pid" 2>/dev/null || break
      sleep 0.05
    done
    kill -9 "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ "$remove_dir" = 1 ]; then
    rm -rf "$dir"
  fi
}
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --enable-memfd=$memfd \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
  -L "module-null-sink sink_name=vsink rate=44100 channels=2 format=float32le" \
  -L "module-pipe-source source_name=fifosrc file=$fifo format=float32le rate=44100 channels=2" \
  -L module-always-sink </dev/null >"$dir/server.log" 2>&1 &
server_pid=$!

# Ready when the server answers; at most 10 s on a busy machine.
ready=0
for _ in $(seq 200); do
  if ! kill -0 "$server_pid" 2>/dev/null; then
    break
  fi
  if pactl info >/dev/null 2>&1; then
    ready=1
    break
  fi
  sleep 0.05
done
if [ "$ready" != 1 ]; then
  echo "pulse-server.sh: the server did not start; its log:" >&2
  cat "$dir/server.log" >&2 || true
  exit 3
fi

if [ "$1" = "--serve" ]; then
  printf 'pid=%s\nserver=%s\nhome=%s\nfifo=%s\nready\n' "$server_pid" "$PULSE_SERVER" "$HOME" "$fifo"
  # Until the reader of our output is done with the server.
  cat >/dev/null || true
  exit 0
fi

status=0
"$@" || status=$?
exit "$status"
