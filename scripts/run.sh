#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments go to
# the program; without any, it shows a simulated keyboard.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh dev >/dev/null
if [ $# -eq 0 ]; then
  set -- --simulate keyboard
fi
exec build/dev/bin/ivra-wireless-manager "$@"
