#!/usr/bin/env bash
# scripts/check-build-packages.sh against made-up build folders: it passes
# when the install list (or what it pulls in) provides every file the cache
# names that the build uses, and fails naming the package otherwise.
set -uo pipefail

check="$(cd "$(dirname "$0")/.." && pwd)/scripts/check-build-packages.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Real files of packages the build itself needs, so they are installed.
gtest_config="$(dpkg -L libgtest-dev | grep '/GTestConfig.cmake$' | head -n1)"
jsoncpp_lib="$(dpkg -L libjsoncpp-dev | grep '/libjsoncpp.so$' | head -n1)"
udev_lib="$(dpkg -L libudev-dev | grep '/libudev.so$' | head -n1)"
if [ -z "$gtest_config" ] || [ -z "$jsoncpp_lib" ] || [ -z "$udev_lib" ]; then
  echo "the build's own packages are not installed" >&2
  exit 1
fi
stray="$work/elsewhere/libstray.so"
mkdir -p "$(dirname "$stray")"
touch "$stray"

# A build folder: its cache, and a build.ninja that links `linked`.
make_build() {
  local dir="$work/$1"
  shift
  mkdir -p "$dir/CMakeFiles"
  cat > "$dir/CMakeCache.txt" <<EOF
# a comment
//A help line
GTest_DIR:PATH=$(dirname "$gtest_config")
pkgcfg_lib_JSONCPP_jsoncpp:FILEPATH=$jsoncpp_lib
OPENGL_INCLUDE_DIR:PATH=/usr/include
Missing_DIR:PATH=Missing_DIR-NOTFOUND
Generated_DIR:PATH=$dir/generated
CMAKE_INSTALL_BINDIR:PATH=bin
Udev_LIBRARY:FILEPATH=$udev_lib
Stray_LIBRARY:FILEPATH=$stray
EOF
  printf 'build app: link main.o %s\n' "$@" > "$dir/build.ninja"
  echo "$dir"
}

failures=0
# expect STATUS TEXT BUILD PACKAGE...: the check's exit status, and a text
# its output must hold (empty: any).
expect() {
  local status="$1" text="$2" build="$3"
  shift 3
  local out rc
  out="$("$check" "$build" "$@" 2>&1)"
  rc=$?
  if [ "$rc" -ne "$status" ] || { [ -n "$text" ] && ! grep -qF -- "$text" <<< "$out"; }; then
    echo "FAIL: $(basename "$build") with [$*]: exit $rc (wanted $status${text:+, output with \"$text\"})"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

plain="$(make_build plain main.o)"
expect 0 "" "$plain" libgtest-dev libjsoncpp-dev
# Through the closure: libgmock-dev pulls libgtest-dev in.
expect 0 "" "$plain" libgmock-dev libjsoncpp-dev
expect 1 "libjsoncpp-dev" "$plain" libgtest-dev
expect 1 "libgtest-dev" "$plain" libjsoncpp-dev

# A found library the build links must be installed too; one it does not
# link (the plain build) need not.
linked="$(make_build linked "$udev_lib")"
expect 1 "libudev-dev" "$linked" libgtest-dev libjsoncpp-dev
expect 0 "" "$linked" libgtest-dev libjsoncpp-dev libudev-dev

# A used file no package installs cannot be on a fresh machine.
stray_build="$(make_build stray "$stray")"
expect 1 "belongs to no Debian package" "$stray_build" libgtest-dev libjsoncpp-dev

expect 2 "" "$work/no-such-build"

[ "$failures" -eq 0 ] || exit 1
echo "all cases passed"
