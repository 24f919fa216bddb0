#!/usr/bin/env bash
# Saves PNGs of the main window (empty and with a keyboard page) and of the
# keyboard page to docs/screenshots/, drawn under Xvfb by apps/skinview.
# Needs: xvfb (xvfb-run). Without it the offscreen platform is used.
#   scripts/screenshot.sh [build-dir]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/skins}"
out="$root/docs/screenshots"
viewer="$build/bin/skinview"

cmake --build "$build" -j2 --target skinview ivra-wireless-manager
mkdir -p "$out"

run() {
  if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s "-screen 0 1280x800x24" "$viewer" "$@"
  else
    QT_QPA_PLATFORM=offscreen "$viewer" "$@"
  fi
}

page='XML\DeviceXml\keyboarddevice.xml'
# The program itself with a simulated keyboard, in a runtime folder of its own
# so that a running copy is not asked to come forward instead.
runtime="$(mktemp -d)"
chmod 700 "$runtime"
run_program() {
  if command -v xvfb-run >/dev/null 2>&1; then
    XDG_RUNTIME_DIR="$runtime" xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/ivra-wireless-manager" "$@"
  else
    XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen "$build/bin/ivra-wireless-manager" "$@"
  fi
}
run_program --simulate keyboard --screenshot "$out/program-keyboard.png"
rm -rf "$runtime"
run --out "$out/main-no-device.png" XML_MAIN
run --keyboard "$page" --lights --out "$out/main-keyboard.png" XML_MAIN
run --lights --out "$out/keyboard-page.png" "$page"
run --out "$out/message-box.png" XML_MSG
run --out "$out/about.png" XML_ABOUT
run --out "$out/skin-picker.png" XML_SKIN
echo "Screenshots in $out"
