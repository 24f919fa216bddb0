#!/usr/bin/env bash
# Saves PNGs of the program with a simulated keyboard (each panel of its page
# in Simplified Chinese and in English), of the main window (empty and with a
# keyboard page) and of the dialogs to docs/screenshots/, drawn under Xvfb.
# Needs: xvfb (xvfb-run) and a font with Chinese glyphs (fonts-wqy-microhei).
# Without xvfb the offscreen platform is used.
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
# The program itself with a simulated keyboard, in runtime and data folders of
# its own so that a running copy is not asked to come forward instead and the
# user's profiles stay as they are.
run_program() {
  local scratch
  scratch="$(mktemp -d)"
  chmod 700 "$scratch"
  local env=(XDG_RUNTIME_DIR="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config")
  if command -v xvfb-run >/dev/null 2>&1; then
    env "${env[@]}" xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/ivra-wireless-manager" "$@"
  else
    env "${env[@]}" QT_QPA_PLATFORM=offscreen "$build/bin/ivra-wireless-manager" "$@"
  fi
  rm -rf "$scratch"
}
run_program --simulate keyboard --screenshot "$out/program-keyboard.png"
for language in 2052:cn 1033:en; do
  for tab in lighting keys macros settings; do
    run_program --simulate keyboard --language "${language%%:*}" --tab "$tab" \
      --screenshot "$out/program-$tab-${language##*:}.png"
  done
done
run --out "$out/main-no-device.png" XML_MAIN
run --keyboard "$page" --lights --out "$out/main-keyboard.png" XML_MAIN
run --lights --out "$out/keyboard-page.png" "$page"
run --out "$out/message-box.png" XML_MSG
run --out "$out/about.png" XML_ABOUT
run --out "$out/skin-picker.png" XML_SKIN
echo "Screenshots in $out"
