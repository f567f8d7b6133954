#!/usr/bin/env bash
# Installs what is needed, builds, and starts the window (simulated Dev1 unless the
# vendor's driver is installed and its Dev1 answers).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. To run the window on a virtual display:"
  echo "  xvfb-run -a -s '-screen 0 1600x1200x24' build/Korin16"
  echo "Without a window, the command-line tool works anywhere:  build/korin16-cli devices"
  exit 0
fi
exec build/Korin16
