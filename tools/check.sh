#!/usr/bin/env bash
# Installs what is needed, builds Varnex with its tests and runs the whole suite:
# the layout check (clang-format), the normal build, the Debian package and its
# checks (tools/package.sh, tools/check_package.sh), the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzzer for FUZZ_SECONDS (default 60).
# The builds ask a loopback registrar port of their own, so a registrar running
# on the default port does not get in the way.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# Other clang-format releases lay out a few constructs differently, so the
# check holds with Debian 12's, which the tree is formatted with.
format_version=$(clang-format --version | grep -o '[0-9][0-9.]*' | head -n 1)
if [ "${format_version%%.*}" = 14 ]; then
  echo "== layout (clang-format $format_version)"
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
else
  echo "== layout: not checked, clang-format $format_version is not Debian 12's (14)"
fi

echo "== normal build"
cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNEX_REGISTRAR_HOST=127.0.0.1:18537 -DVARNEX_WERROR=ON
cmake --build build-check
ctest --test-dir build-check --output-on-failure --timeout 300 -j "$jobs"

echo "== Debian package (build-deb), its files, metadata and lintian"
bash tools/package.sh
bash tools/check_package.sh

echo "== sanitizer build (ASan + UBSan)"
sanitize="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNEX_BUILD_BENCH=OFF \
  -DVARNEX_REGISTRAR_HOST=127.0.0.1:18538 -DVARNEX_WERROR=ON \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --timeout 600 -j "$jobs"

echo "== fuzzing"
bash tools/fuzz.sh "${FUZZ_SECONDS:-60}"
