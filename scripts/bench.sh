#!/usr/bin/env bash
# Builds the release preset and runs every benchmark, printing its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
for b in build/release/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
