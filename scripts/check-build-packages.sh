#!/usr/bin/env bash
# Checks that every Debian package a configured build took something from is
# installed by scripts/install-deps.sh, so that a fresh Debian 12 machine
# builds. Each file the CMake cache names must belong to a package in the
# dependency closure of the install list (without recommended or suggested
# packages, as install-deps.sh installs them): the package configurations
# of the *_DIR entries, the pkg-config modules and libraries, the compiler,
# and the programs and libraries found that the build files use (a library
# found but never linked, such as FindOpenGL's GLU, is not needed).
#
#   scripts/check-build-packages.sh BUILD_DIR [PACKAGE...]
#
# PACKAGE...: the install list to check against (default: the list of
# scripts/install-deps.sh). Exits 1 naming every file whose package is
# missing, 2 on a usage error.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(dirname "$here")"

if [ $# -lt 1 ] || [ ! -f "$1/CMakeCache.txt" ]; then
  echo "usage: $0 BUILD_DIR [PACKAGE...] (BUILD_DIR holds CMakeCache.txt)" >&2
  exit 2
fi
build_dir="$(cd "$1" && pwd)"
cache="$build_dir/CMakeCache.txt"
shift
if [ $# -gt 0 ]; then
  list=("$@")
else
  mapfile -t list < <("$here/install-deps.sh" --list)
fi

# The closure: every package apt would install for the list, and the
# essential packages every Debian system has.
declare -A closure=()
while read -r name; do
  name="${name#<}"; name="${name%>}"; name="${name%%:*}"
  [ -n "$name" ] && closure["$name"]=1
done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
           --no-breaks --no-replaces --no-enhances "${list[@]}" | grep -v '^ ')
while read -r name essential; do
  [ "$essential" = "yes" ] && closure["$name"]=1
done < <(dpkg-query -W -f='${Package} ${Essential}\n')

# The generated build files: a found program or library the build uses
# appears in them.
build_files=()
for f in "$build_dir/build.ninja" "$build_dir/CMakeFiles/rules.ninja" "$build_dir/Makefile"; do
  [ -f "$f" ] && build_files+=("$f")
done
used_by_build() {
  [ ${#build_files[@]} -eq 0 ] && return 0
  grep -qF -- "$1" "${build_files[@]}"
}

# The files the cache names, as "ENTRY<TAB>FILE".
files_of_cache() {
  local key value name config
  while IFS= read -r line; do
    case "$line" in
      \#*|//*|"") continue ;;
    esac
    key="${line%%:*}"
    value="${line#*=}"
    case "$line" in
      *:PATH=*|*:FILEPATH=*) ;;
      *) continue ;;
    esac
    case "$value" in
      /*) ;;
      *) continue ;;  # empty, relative or *-NOTFOUND
    esac
    case "$value/" in
      "$source_dir"/*|"$build_dir"/*) continue ;;
    esac
    if [ -d "$value" ]; then
      # A package configuration folder says which package through its
      # configuration file; a folder such as /usr/include says nothing.
      [[ "$key" == *_DIR ]] || continue
      name="${key%_DIR}"
      for config in "$value/${name}Config.cmake" "$value/${name,,}-config.cmake"; do
        if [ -f "$config" ]; then
          printf '%s\t%s\n' "$key" "$config"
          break
        fi
      done
    elif [ -e "$value" ]; then
      case "$key" in
        pkgcfg_lib_*|CMAKE_CXX_COMPILER|CMAKE_C_COMPILER|CMAKE_MAKE_PROGRAM|PKG_CONFIG_EXECUTABLE) ;;
        *) used_by_build "$value" || continue ;;
      esac
      printf '%s\t%s\n' "$key" "$value"
    fi
  done < "$cache"
  # pkg_check_modules keeps the modules it was asked for.
  local modules module pc
  while IFS= read -r line; do
    modules="${line#*=}"
    IFS=';' read -ra words <<< "$modules"
    for module in "${words[@]}"; do
      case "$module" in
        REQUIRED|QUIET|IMPORTED_TARGET|GLOBAL|NO_CMAKE_PATH|NO_CMAKE_ENVIRONMENT_PATH|"") continue ;;
      esac
      module="${module%%[<>=]*}"
      pc="$(pkg-config --path "$module" 2>/dev/null || true)"
      [ -n "$pc" ] && printf 'pkg-config %s\t%s\n' "$module" "$pc"
    done
  done < <(grep -E '^__pkg_config_arguments_[A-Za-z0-9_]+:INTERNAL=' "$cache" || true)
}

mapfile -t entries < <(files_of_cache | sort -u)

# Where each file may be registered: as named, resolved (alternatives,
# versioned links), and without /usr for files registered before the /usr
# merge. One dpkg query for all of them.
candidates_of() {
  local resolved
  resolved="$(readlink -f "$1")"
  printf '%s\n' "$1" "$resolved" "${1#/usr}" "${resolved#/usr}" | grep '^/' | awk '!seen[$0]++'
}
declare -A owners_of=()
mapfile -t queried < <(for entry in "${entries[@]}"; do candidates_of "${entry#*$'\t'}"; done | sort -u)
if [ ${#queried[@]} -gt 0 ]; then
  while IFS= read -r line; do
    case "$line" in diversion\ *) continue ;; esac
    path="${line#*: }"
    owners="${line%%: /*}"
    owners_of["$path"]="$(tr ',' '\n' <<< "$owners" | sed 's/^ *//; s/:.*//' | tr '\n' ' ')"
  done < <(dpkg -S "${queried[@]}" 2>/dev/null || true)
fi

failed=0
checked=0
for entry in "${entries[@]}"; do
  key="${entry%%$'\t'*}"
  file="${entry#*$'\t'}"
  checked=$((checked + 1))
  owners=()
  while IFS= read -r candidate; do
    if [ -n "${owners_of[$candidate]:-}" ]; then
      read -ra owners <<< "${owners_of[$candidate]}"
      break
    fi
  done < <(candidates_of "$file")
  if [ ${#owners[@]} -eq 0 ]; then
    echo "missing: $key: $file belongs to no Debian package (a fresh machine has no such file)"
    failed=1
    continue
  fi
  ok=0
  for owner in "${owners[@]}"; do
    [ -n "${closure[$owner]:-}" ] && ok=1
  done
  if [ $ok -eq 0 ]; then
    echo "missing: $key: $file comes from ${owners[*]}, which the install list does not pull in"
    failed=1
  fi
done

if [ $failed -ne 0 ]; then
  echo "Add the package(s) above to scripts/install-deps.sh." >&2
  exit 1
fi
echo "build packages: the ${checked} files the build uses all come from packages install-deps.sh installs"
