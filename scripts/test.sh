#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
# An optional argument picks the preset: dev (default), asan or tsan.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
scripts/install-deps.sh
scripts/build.sh "$preset"
ctest --preset "$preset" -j "$(nproc)"
