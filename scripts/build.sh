#!/usr/bin/env bash
# Configures and builds the release tree in build/ (program, command-line tool, tests, benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
