#!/usr/bin/env bash
# Style check of the C++ files changed since BASE_REV: clang-format (check
# mode) and clang-tidy's naming checks with the build's compile database.
# Usage: scripts/lint.sh [BASE_REV]   (default: merge-base with origin/main, else HEAD~1)
# BUILD_DIR (default build/dev) must hold compile_commands.json.
set -euo pipefail
cd "$(dirname "$0")/.."
base="${1:-}"
if [[ -z "$base" ]]; then
    base="$(git merge-base HEAD origin/main 2>/dev/null || git rev-parse HEAD~1)"
fi
build="${BUILD_DIR:-build/dev}"
mapfile -t files < <(git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h')
[[ ${#files[@]} -eq 0 ]] && { echo "lint: no C++ files changed since $base"; exit 0; }
status=0
clang-format --dry-run --Werror "${files[@]}" || status=1
sources=()
for f in "${files[@]}"; do [[ "$f" == *.cpp ]] && sources+=("$f"); done
if [[ ${#sources[@]} -gt 0 ]]; then
    [[ -f "$build/compile_commands.json" ]] || { echo "lint: $build/compile_commands.json missing" >&2; exit 2; }
    clang-tidy -p "$build" --quiet "${sources[@]}" 2>/dev/null | grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error)' && status=1
fi
exit $status
