#!/usr/bin/env bash
# Sets up, builds and stacks the bundled sample exposures; with a display
# it then opens the window as well.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target velmora-stack velmora
out="$PWD/build/examples-stacked.tif"
build/release/cli/velmora-stack --force -o "$out" examples/*.jpg
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  build/release/app/velmora
fi
