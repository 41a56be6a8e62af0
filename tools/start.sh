#!/usr/bin/env bash
# Installs what is needed, builds Varnex and its registrar service, starts the
# service in the background and Varnex in front; the service stops when the
# window closes.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build --target varnex varnex-registrar

build/registrar/varnex-registrar &
registrar=$!
trap 'kill "$registrar" 2>/dev/null || true; wait "$registrar" 2>/dev/null || true' EXIT
build/src/app/varnex
