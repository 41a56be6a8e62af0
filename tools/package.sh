#!/usr/bin/env bash
# Builds the Debian package of Varnex, build-deb/varnex_VERSION_ARCH.deb: installs
# what the build needs, builds the programs for /usr with Debian's hardening
# flags, and packs them with CPack (dpkg-shlibdeps works out the dependencies).
# Install it with: sudo apt install ./build-deb/varnex_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

build=build-deb
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The programs are stripped in the package, so their debugging data would only cost build time.
cxxflags=$(dpkg-buildflags --get CXXFLAGS | sed -E 's/(^| )-g( |$)/ /')
echo "== building Varnex for the package in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVARNEX_BUILD_TESTS=OFF -DVARNEX_BUILD_BENCH=OFF -DVARNEX_REGISTRAR_HOST=127.0.0.1:8537 \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build"
rm -f "$build"/varnex_*.deb
(cd "$build" && cpack -G DEB)
echo "== package: $(ls "$build"/varnex_*.deb)"
