#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the benchmarks need
# (without recommended packages, as on a fresh machine). Safe to run again:
# when everything is present it changes nothing.
#   --list     print the package list, one a line, and install nothing
#   NAME...    extra packages to install the same way (the idle-CPU
#              benchmark's X tools)
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  libjsoncpp-dev libudev-dev libxcb-xinput-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-tools-dev libqt6opengl6-dev libgl-dev dbus
  # The fuzz preset and CI's second compiler.
  clang libclang-rt-dev
  # The style check (scripts/lint.sh).
  clang-format clang-tidy
)
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
