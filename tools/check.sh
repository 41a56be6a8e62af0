#!/usr/bin/env bash
# Installs what is needed, builds Varnex with its tests and runs the whole suite.
# The build asks a loopback registrar port of its own, so a registrar running on
# the default port does not get in the way.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNEX_REGISTRAR_HOST=127.0.0.1:18537
cmake --build build-check
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-check --output-on-failure --timeout 300 -j "$(nproc)"
