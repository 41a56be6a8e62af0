#!/usr/bin/env bash
# The four speed figures, each beside its peer, in one run:
#   1. varnex-scan as a whole process beside tr + grep and cp;
#   2. the window's chain, Enter to the count, beside curl -o and varnex-scan;
#   3. a fresh registrar page against registries in the real bootstrap's shape;
#   4. cached registrar pages under wrk.
# Usage: bench/run_all.sh [BUILD_DIR]   (default build-perf; a Release build is meant)
set -euo pipefail
build=${1:-build-perf}
bench="$build/bench"
for program in bench_scan bench_registrar_shape bench_registrar; do
  [[ -x "$bench/$program" ]] || { echo "no $bench/$program: build $build first" >&2; exit 1; }
done
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

echo "== 1 and 2: varnex-scan as a process, and the window's chain"
"$bench/bench_scan" "$folder" 7 processes
"$bench/bench_scan" "$folder" 7 chain | sed 1d
echo
echo "== 3: a fresh page, registries in the real bootstrap's shape"
"$bench/bench_registrar_shape"
echo
echo "== 4: cached pages"
"$bench/bench_registrar"
