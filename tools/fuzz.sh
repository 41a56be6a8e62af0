#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each on its
# corpus for SECONDS (default 60), all at once. The corpora in fuzz/corpus/ are
# read, never written: what a run finds goes to build-fuzz/corpus/, and an input
# that crashes or fails a check to build-fuzz/crashes/, which makes the script
# exit non-zero. To keep what a run found, merge it into the tree by hand:
#   build-fuzz/fuzz/T_fuzzer -merge=1 fuzz/corpus/T build-fuzz/corpus/T
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: tools/fuzz.sh [SECONDS]" >&2
  exit 2
fi
started=$(date +%s)

if [ -f tools/install-deps.sh ]; then
  bash tools/install-deps.sh
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
missing=()
for package in clang libclang-rt-14-dev; do   # libclang-rt has libFuzzer and the sanitizer runtimes
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The whole tree gets coverage and sanitizers, so the libraries under test are
# instrumented too; the fuzz targets add libFuzzer's main at link. Debug keeps
# Qt's own assertions in the inline code the targets use.
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1" \
  -DVARNEX_BUILD_TESTS=OFF -DVARNEX_BUILD_BENCH=OFF -DVARNEX_FUZZ=ON -DVARNEX_WERROR=ON
targets=(scan name_rules suggestions dns_answer bootstrap answer request)
cmake --build "$build" --target "${targets[@]/%/_fuzzer}"

# A smaller quarantine and shorter allocation stacks keep the allocation-heavy
# suggestions target fast; they cost only detail in a use-after-free report.
export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1:detect_leaks=1:quarantine_size_mb=64:malloc_context_size=10"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
crashes="$build/crashes"
rm -rf "$crashes"
mkdir -p "$crashes"

declare -A pids
for target in "${targets[@]}"; do
  # New inputs go to the first folder only, so the tree's corpus is left as it is.
  mkdir -p "$build/corpus/$target"
  "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -dict="fuzz/$target.dict" -artifact_prefix="$crashes/$target-" \
    "$build/corpus/$target" "fuzz/corpus/$target" >"$build/$target.log" 2>&1 &
  pids[$target]=$!
done

corpus_kb() {
  du -sk --apparent-size "$@" | awk '{ total += $1 } END { print total }'
}

stat_of() {
  sed -n "s/^stat::$1: *//p" "$2" | tail -n 1
}

passed=0
failed=0
for target in "${targets[@]}"; do
  log="$build/$target.log"
  if wait "${pids[$target]}"; then
    result=passed
    passed=$((passed + 1))
  else
    result=FAILED
    failed=$((failed + 1))
  fi
  echo "fuzz: ${target}_fuzzer $result: $(stat_of number_of_executed_units "$log") runs," \
    "$(stat_of average_exec_per_sec "$log") exec/s, $(stat_of new_units_added "$log") new inputs," \
    "corpus $(find "fuzz/corpus/$target" "$build/corpus/$target" -type f | wc -l) files" \
    "$(corpus_kb "fuzz/corpus/$target" "$build/corpus/$target") KB"
  if [ "$result" = FAILED ]; then
    echo "---- $log from the first error ----"
    awk '/check failed|ERROR:|runtime error|SUMMARY:/ { found = 1 } found' "$log" | head -n 60
    echo "----"
  fi
done
rmdir "$crashes" 2>/dev/null || ls -l "$crashes"

echo "fuzz: took $(( $(date +%s) - started )) s with the build"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
