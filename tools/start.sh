#!/usr/bin/env bash
# From a checkout: installs the packages Varnex needs (through sudo, when any is
# missing), builds Varnex and its registrar service in build/, starts the
# service in the background and opens the window in front; the service stops
# when the window closes. Stops with a message, without opening the window,
# when the service cannot listen: the window would ask whatever holds the port.
# The build and the window run as the user who called the script, also when it
# is called through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { printf '==> %s\n' "$*"; }

if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  say "Installing the packages Varnex needs to build and run, if any are missing"
  bash tools/install-deps.sh
  say "Going on as $SUDO_USER: only the installing needs root"
  exec runuser -u "$SUDO_USER" -- env VARNEX_DEPS_INSTALLED=1 bash tools/start.sh
fi

if [ -z "${VARNEX_DEPS_INSTALLED:-}" ]; then
  if [ "$(id -u)" -eq 0 ]; then
    say "Installing the packages Varnex needs to build and run, if any are missing"
  else
    say "Installing the packages Varnex needs to build and run, if any are missing (apt-get through sudo)"
  fi
  bash tools/install-deps.sh
fi

if [ -e build ] && [ ! -w build ]; then
  echo "start.sh: build/ belongs to another user (an earlier run as root?); remove it (sudo rm -rf build) and run this again" >&2
  exit 1
fi
say "Building Varnex and its registrar service in build/ (the first build takes a few minutes)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target varnex varnex-registrar

log=build/varnex-registrar.log
say "Starting the registrar service, build/registrar/app/varnex-registrar (its log: $log)"
build/registrar/app/varnex-registrar 2>"$log" &
registrar=$!
trap 'kill "$registrar" 2>/dev/null || true; wait "$registrar" 2>/dev/null || true' EXIT

# It prints "listening on" once it listens, or stops at once when it cannot.
for _ in $(seq 100); do
  grep -q "listening on" "$log" && break
  if ! kill -0 "$registrar" 2>/dev/null; then
    status=0
    wait "$registrar" || status=$?
    cat "$log" >&2
    echo "start.sh: the registrar service could not start (exit status $status), so the window is not opened:" \
      "it would ask whatever holds the registrar's port instead." >&2
    echo "start.sh: if the installed Varnex service holds it (systemctl status varnex-registrar.socket)," \
      "open Varnex from the menu instead, or stop it with: sudo systemctl stop varnex-registrar.socket" >&2
    exit 1
  fi
  sleep 0.1
done
if ! grep -q "listening on" "$log"; then
  echo "start.sh: the registrar service did not start listening within 10 s; see $log" >&2
  exit 1
fi
sed -n 's/^varnex-registrar: //p' "$log" | head -n 1

say "Opening the Varnex window; closing it stops the registrar service"
build/src/app/varnex
