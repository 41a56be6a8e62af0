#!/usr/bin/env bash
# Installs what is needed, builds Varnex and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEX_BUILD_TESTS=OFF -DVARNEX_BUILD_BENCH=OFF
cmake --build build
exec build/src/app/varnex
