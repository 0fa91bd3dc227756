#!/usr/bin/env bash
# A private OLA daemon (olad) for tests and CI: its own configuration folder,
# its own RPC port, no web server, and only the plug-ins a test needs, so that
# it neither clashes with an olad of the machine nor touches its hardware.
#
#   olad-server.sh [--dir DIR] [--port PORT] [--plugins LIST] COMMAND [ARG...]
#       runs COMMAND with OLA_RPC_PORT exported while olad runs, stops olad
#       after and exits with COMMAND's status.
#   olad-server.sh [--dir DIR] [--port PORT] [--plugins LIST] --serve
#       prints "pid=PID", "port=PORT", "dir=PATH" and "ready" once olad
#       accepts connections on its RPC port, then keeps it running until
#       standard input closes (the test harness keeps a pipe open for as long
#       as it needs it).
#
# LIST names the plug-ins that run, by the name of their configuration file
# (ola-NAME.conf), comma-separated; the default "dummy,e131" gives the Dummy
# device (one output port, device 1) and the E1.31 (sACN) device (one input
# and one output port, device 2), which hears sACN on UDP port 5568 of every
# interface, the loopback one included. Every other plug-in is disabled.
#
# Without --port the daemon listens on a free port of its own choosing
# (printed as port=); with it, on that port (a daemon started again on the
# same port and folder is the same daemon to its clients). Without --dir the
# folder is a fresh temporary one, removed at the end; with --dir it is kept.
#
# olad refuses to run as root: as root the daemon runs as nobody:nogroup
# (setpriv execs olad, so the PID it leaves is olad's own). It is stopped by
# that PID when this script ends, however it ends.
#
# Exit status 3 when the daemon cannot be started (its log goes to stderr).
set -euo pipefail

dir=""
port=""
plugins="dummy,e131"
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir=$2; shift 2 ;;
    --port) port=$2; shift 2 ;;
    --plugins) plugins=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 [--dir DIR] [--port PORT] [--plugins LIST] COMMAND [ARG...] | ... --serve" >&2
  exit 2
fi
if ! command -v olad >/dev/null 2>&1; then
  echo "olad-server.sh: olad is not installed (Debian package ola)" >&2
  exit 3
fi

if [ -z "$dir" ]; then
  dir=$(mktemp -d "${TMPDIR:-/tmp}/tactolo-olad.XXXXXX")
  remove_dir=1
else
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  remove_dir=0
fi
config="$dir/config"
mkdir -p "$config"

run_as=()
if [ "$(id -u)" = 0 ]; then
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

# Every plug-in of OLA 0.10 by the name of its configuration file; those not
# in LIST are disabled.
all_plugins="artnet dummy e131 espnet ftdidmx gpio karate kinet milinst opendmx openpixelcontrol osc pathport
  renard sandnet shownet spi stageprofi uartdmx usbdmx usbserial"
for plugin in $all_plugins; do
  file="$config/ola-$plugin.conf"
  if [[ ",$plugins," == *",$plugin,"* ]]; then
    case "$plugin" in
      dummy) printf 'enabled = true\ndummy_device_count = 0\nnetwork_device_count = 0\n' >"$file" ;;
      e131) printf 'enabled = true\ninput_ports = 1\noutput_ports = 1\n' >"$file" ;;
      *) printf 'enabled = true\n' >"$file" ;;
    esac
  else
    printf 'enabled = false\n' >"$file"
  fi
done
if [ "$(id -u)" = 0 ]; then
  # The daemon writes its configuration back, as nobody.
  chmod 755 "$dir"
  chown -R nobody:nogroup "$config"
fi

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

listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Starts olad on `port` and waits until it accepts connections (at most 10 s
# on a busy machine). Fails when it exits first, as it does when the port is
# taken.
start_server() {
  setsid "${run_as[@]}" olad -c "$config" --no-http --no-register-with-dns-sd -r "$port" -l 2 \
    </dev/null >>"$dir/olad.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 200); do
    if ! kill -0 "$server_pid" 2>/dev/null; then
      wait "$server_pid" 2>/dev/null || true
      server_pid=""
      return 1
    fi
    if listening "$port"; then
      return 0
    fi
    sleep 0.05
  done
  return 1
}

started=0
if [ -n "$port" ]; then
  start_server && started=1
else
  # A free port from the dynamic range; another program may take it between
  # the look and olad's bind, so a few tries.
  for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 30000))
    listening "$port" && continue
    if start_server; then
      started=1
      break
    fi
  done
fi
if [ "$started" != 1 ]; then
  echo "olad-server.sh: olad did not start; its log:" >&2
  cat "$dir/olad.log" >&2 || true
  exit 3
fi

if [ "$1" = "--serve" ]; then
  printf 'pid=%s\nport=%s\ndir=%s\nready\n' "$server_pid" "$port" "$dir"
  # Until the reader of our output is done with the daemon.
  cat >/dev/null || true
  exit 0
fi

export OLA_RPC_PORT="$port"
status=0
"$@" || status=$?
exit "$status"
