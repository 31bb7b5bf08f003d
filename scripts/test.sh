#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite (release build).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
ctest --preset release
