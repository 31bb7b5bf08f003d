#!/usr/bin/env bash
# Takes a picture of the Velmora window as it looks right after start.
# Builds the window program when it is missing, runs it under a virtual X
# display (Qt's offscreen platform when Xvfb is not installed) and lets the
# program save its own window as PNG (VELMORA_SCREENSHOT), then end.
#   tools/screenshot.sh [output.png] [build folder]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/screenshot.png}
build=${2:-$root/build/screenshot}

if [ ! -x "$build/app/velmora" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_WINDOW=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
  cmake --build "$build" --target velmora
fi

# The script changes folders, and so does the program at start: full
# paths for both.
build=$(cd "$build" && pwd)
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
rm -f "$out"

# Started from a scratch folder so that an error log lands there, not in
# the checkout.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

export VELMORA_SCREENSHOT="$out"
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/velmora"
else
  QT_QPA_PLATFORM=offscreen "$build/app/velmora"
fi

if [ ! -s "$out" ]; then
  echo "screenshot.sh: no picture was written" >&2
  exit 1
fi
echo "$out"
