#!/usr/bin/env bash
# Builds the release preset and runs every benchmark, printing its figures:
# the Google Benchmark programs under bench/ (arguments go to them), then the
# idle-CPU states of the program and ivractl (bench/idle-cpu.sh, about
# 8 minutes; skipped with IVRA_BENCH_IDLE=0).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
for b in build/release/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
if [ "${IVRA_BENCH_IDLE:-1}" != 0 ]; then
  echo "== idle-cpu.sh"
  bench/idle-cpu.sh build/release
fi
