#!/usr/bin/env bash
# Takes a picture of the Velmora window after a whole run, driven like a
# person would: under a virtual X display, Start is clicked, two sample
# exposures are picked in the open dialog, the result is saved, and the
# window is photographed. Needs Xvfb, xdotool and ImageMagick's import.
#   tools/screenshot-run.sh [output.png] [build folder]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/screenshot-run.png}
build=${2:-$root/build/screenshot}
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot-run.sh: needs $tool" >&2; exit 1; }
done

if [ ! -x "$build/app/velmora" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_WINDOW=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
  cmake --build "$build" --target velmora
fi
build=$(cd "$build" && pwd)
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

# A copy of the program in a scratch folder, so that its settings file and
# error log land there, and the sample exposures beside it.
scratch=$(mktemp -d)
cp "$build/app/velmora" "$scratch/"
cp "$root"/examples/*.jpg "$scratch/"
display=:$((100 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
export DISPLAY=$display
sleep 1
(cd "$scratch" && ./velmora >/dev/null 2>&1 &)

wait_for() { # window name pattern
  for _ in $(seq 100); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "screenshot-run.sh: no window '$1'" >&2
  exit 1
}

wait_for '^Velmora$'
sleep 1
xdotool mousemove 374 290 click 1 # Start
wait_for '^Open'
xdotool type --delay 10 "$scratch/"
xdotool key Return
sleep 0.5
xdotool type --delay 10 '"hills_1_under.jpg" "hills_3_over.jpg"'
xdotool key Return
wait_for '^Save'
xdotool type --delay 10 "result"
xdotool key Return
for _ in $(seq 100); do
  [ -s "$scratch/result.tif" ] && break
  sleep 0.1
done
sleep 1
import -window root -crop 831x600+328+267 +repage "$out"
[ -s "$scratch/result.tif" ] || { echo "screenshot-run.sh: no result was written" >&2; exit 1; }
echo "$out"
