#!/usr/bin/env bash
# The engine and the command-line tool never include the window's code: app/ uses
# the engine, not the reverse.
set -euo pipefail
cd "$(dirname "$0")/../.."
hits=$(grep -rn '#include "app/' acquisition processing files stimulation tools/*.cpp tools/*.h \
         display/*.h display/*.cpp || true)
if [ -n "$hits" ]; then
  echo "engine sources include app/:"
  echo "$hits"
  exit 1
fi
echo "engine includes nothing from app/"
