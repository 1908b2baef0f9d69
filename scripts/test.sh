#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test:
# the native build (sanitizers on) natively, the Windows build under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
jobs=$(nproc)

echo "== native build (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native

echo "== windows build (MinGW-w64 i686), tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows
