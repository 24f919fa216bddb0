#!/usr/bin/env bash
# Compiles every source of a configured build once more with clang, syntax
# and warnings only, with the build's own flags (-Werror included), so that
# a warning only clang gives cannot break a clang preset (fuzz) unnoticed.
# Much quicker than a second build: no code is generated, nothing linked.
#
#   scripts/check-clang.sh BUILD_DIR [JOBS]
#
# BUILD_DIR must have been built (generated sources such as moc files).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ $# -lt 1 ] || [ ! -f "$1/compile_commands.json" ]; then
  echo "usage: $0 BUILD_DIR [JOBS] (BUILD_DIR holds compile_commands.json)" >&2
  exit 2
fi
build_dir="$(cd "$1" && pwd)"
jobs="${2:-$(nproc)}"
clangxx="${CLANGXX:-clang++}"
command -v "$clangxx" >/dev/null || { echo "$0: $clangxx not found (scripts/install-deps.sh installs it)" >&2; exit 2; }

commands="$(mktemp)"
trap 'rm -f "$commands"' EXIT
cmake -DCOMPILE_COMMANDS="$build_dir/compile_commands.json" -DCLANGXX="$clangxx" \
      -DOUT="$commands" -P "$here/clang-syntax-commands.cmake"
total="$(wc -l < "$commands")"
if ! xargs -d '\n' -n 1 -P "$jobs" sh -c 'eval "$1"' check < "$commands"; then
  echo "clang: warnings or errors above (checked $total sources)" >&2
  exit 1
fi
echo "clang: $total sources compile without warnings"
