#!/usr/bin/env bash
# Style check of the C++ lines changed since BASE_REV: clang-format (check
# mode) and clang-tidy's naming checks with the build's compile database.
# Only changed lines are judged, so older code is held to the style as it is
# touched. Findings print as FILE:LINE:COL; the exit status is 1 on any.
# Usage: scripts/lint.sh [BASE_REV]   (default: merge-base with origin/main, else HEAD~1)
# BUILD_DIR (default build/dev) must hold compile_commands.json.
set -euo pipefail
cd "$(dirname "$0")/.."
base="${1:-}"
if [[ -z "$base" ]]; then
    base="$(git merge-base HEAD origin/main 2>/dev/null || git rev-parse HEAD~1)"
fi
build="${BUILD_DIR:-build/dev}"

# FILE START END for every added or changed run of lines.
ranges="$(git diff -U0 --no-color --diff-filter=d "$base" -- '*.cpp' '*.h' | awk '
    /^\+\+\+ b\// { file = substr($0, 7); next }
    /^@@ / {
        split($3, added, ",")
        start = substr(added[1], 2)
        count = (2 in added) ? added[2] : 1
        if (count > 0) print file, start, start + count - 1
    }')"
[[ -z "$ranges" ]] && { echo "lint: no C++ lines changed since $base"; exit 0; }
mapfile -t files < <(awk '{ print $1 }' <<<"$ranges" | sort -u)

status=0
for f in "${files[@]}"; do
    lines=()
    while read -r _ start end; do lines+=("--lines=$start:$end"); done < <(awk -v f="$f" '$1 == f' <<<"$ranges")
    clang-format --dry-run --Werror "${lines[@]}" "$f" || status=1
done

# clang-tidy runs on the changed sources and on the source next to each
# changed header; --line-filter keeps its findings to the changed lines.
sources=()
for f in "${files[@]}"; do
    if [[ "$f" == *.cpp ]]; then
        sources+=("$f")
    elif [[ -f "${f%.h}.cpp" ]]; then
        sources+=("${f%.h}.cpp")
    fi
done
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | sort -u | sed '/^$/d')
if [[ ${#sources[@]} -gt 0 ]]; then
    [[ -f "$build/compile_commands.json" ]] || { echo "lint: $build/compile_commands.json missing" >&2; exit 2; }
    filter="$(awk '
        { lines[$1] = lines[$1] (lines[$1] == "" ? "" : ",") "[" $2 "," $3 "]" }
        END { sep = ""; printf "["; for (f in lines) { printf "%s{\"name\":\"%s\",\"lines\":[%s]}", sep, f, lines[f]; sep = "," } printf "]" }
    ' <<<"$ranges")"
    if clang-tidy -p "$build" --quiet --line-filter="$filter" "${sources[@]}" 2>/dev/null |
        grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error)'; then
        status=1
    fi
fi
exit $status
