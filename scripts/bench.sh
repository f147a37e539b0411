#!/usr/bin/env bash
# Builds the optimised preset and runs every benchmark under bench/, side by side per binary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
export QT_QPA_PLATFORM=offscreen
status=0
for b in build/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true "$@" || status=1
done
exit $status
