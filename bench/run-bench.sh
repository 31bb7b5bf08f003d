#!/usr/bin/env bash
# Whole-run benchmark: velmora-stack side by side with the decode-only
# floor (djpeg, or tiffinfo -D for TIFF; for raw files LibRaw's own
# dcraw_emu -4 -T, once per file on one core) and, where installed, libvips
# and ImageMagick (apt-get install libvips-tools imagemagick time libraw-bin;
# benchmark tools only). Commands alternate; each runs once to warm up, then RUNS
# times; medians of wall time and peak memory, then the targets checked.
# Every set's result must be the same bytes with VELMORA_THREADS=1 as with
# the default threads; "serial" times that one-thread run beside the rest.
#   bench/run-bench.sh [SET...]     sets: A B C B50 R (default all)
# With set A and the window built, the preview's cost in the window too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/release}
data=${BENCH_DATA:-${TMPDIR:-/tmp}/velmora-bench}
runs=${RUNS:-5}
sets=("$@")
((${#sets[@]})) || sets=(A B C B50 R)

stack=$build/cli/velmora-stack
maker=$build/tools/MakeBenchSet
[[ -x $stack && -x $maker ]] || { echo "build first: cmake --preset release && cmake --build --preset release" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (apt-get install time)" >&2; exit 1; }
have() { command -v "$1" >/dev/null 2>&1; }
# ImageMagick 7 is "magick"; Debian 12's ImageMagick 6 is called by its
# own name, ahead of whatever else may answer to "convert".
magick=
for candidate in magick convert-im6.q16 convert; do
  if have "$candidate"; then magick=$candidate; break; fi
done

# name kind width height count
describe() {
  case $1 in
    A) echo "jpeg 6000 4000 3" ;;
    B) echo "jpeg 4000 3000 10" ;;
    B50) echo "jpeg 4000 3000 50" ;;
    C) echo "tiff16 6000 4000 3" ;;
    R) echo "raw 6000 4000 3" ;;
    *) echo "unknown set $1" >&2; exit 2 ;;
  esac
}

make_set() {
  local dir=$data/$1
  read -r kind w h n < <(describe "$1")
  if [[ ! -f $dir/.complete ]]; then
    rm -rf "$dir" && mkdir -p "$dir"
    if [[ $kind == raw ]]; then
      "$build/tools/MakeRawBenchSet" "$w" "$h" "$n" "$dir"
    else
      "$maker" "$kind" "$w" "$h" "$n" "$dir"
    fi
    touch "$dir/.complete"
  fi
}

vips_run() { # out files...
  local out=$1 tmp
  shift
  tmp=$(mktemp -d)
  vips sum "$*" "$tmp/sum.v"
  local max
  max=$(vips max "$tmp/sum.v")
  vips linear "$tmp/sum.v" "$tmp/lin.v" "$(awk -v m="$max" 'BEGIN { printf "%.17g", 65535 / m }')" 0
  vips cast "$tmp/lin.v" "$tmp/cast.v" ushort
  vips tiffsave "$tmp/cast.v" "$out" --tile --tile-width 256 --tile-height 256
  rm -rf "$tmp"
}
export -f vips_run

floor_run() { # files...
  local f
  for f in "$@"; do
    case $f in
      *.jpg) djpeg -outfile /dev/null "$f" ;;
      # Linear 16-bit TIFF, as the run reads raw files, on one core.
      *.dng) taskset -c 0 dcraw_emu -4 -T -Z "${TMPDIR:-/tmp}/velmora-bench-floor.tiff" "$f" ;;
      *) tiffinfo -D "$f" >/dev/null ;;
    esac
  done
}
export -f floor_run

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A result=()
echo "# $(date -u +%Y-%m-%d) $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $runs runs each"
printf '%-4s %-11s %9s %10s %12s\n' set command "wall s" "peak MiB" "velmora ×"
for set in "${sets[@]}"; do
  make_set "$set"
  read -r kind w h n < <(describe "$set")
  files=("$data/$set"/exposure*)
  out=$(mktemp -d)
  names=(velmora serial floor)
  cmds=("\"$stack\" -q -f -o \"$out/velmora.tif\" ${files[*]}"
    "VELMORA_THREADS=1 \"$stack\" -q -f -o \"$out/serial.tif\" ${files[*]}"
    "floor_run ${files[*]}")
  if have vips && [[ $set != R ]]; then names+=(libvips); cmds+=("vips_run \"$out/vips.tif\" ${files[*]}"); fi
  # ImageMagick's default resource policy refuses fifty 12-megapixel
  # pictures at once.
  if [[ -n $magick && $set != B50 && $set != R ]]; then
    names+=(magick)
    cmds+=("$magick ${files[*]} -evaluate-sequence mean -auto-level -depth 16 -define tiff:tile-geometry=256x256 \"$out/magick.tif\"")
  fi
  declare -A wall=() peak=()
  for ((r = 0; r <= runs; r++)); do
    for i in "${!names[@]}"; do
      if ! /usr/bin/time -f '%e %M' -o "$out/time" bash -c "${cmds[$i]}" >/dev/null; then
        echo "$set ${names[$i]}: failed" >&2
        exit 1
      fi
      ((r == 0)) && continue
      read -r s kb <"$out/time"
      wall[${names[$i]}]+="$s "
      peak[${names[$i]}]+="$kb "
    done
  done
  # The threads change nothing in the result, float rounding included.
  if cmp -s "$out/velmora.tif" "$out/serial.tif"; then
    result[$set:identical]=1
  else
    result[$set:identical]=0
    echo "$set: the result with VELMORA_THREADS=1 differs from the default's" >&2
  fi
  v_wall=$(tr ' ' '\n' <<<"${wall[velmora]}" | grep . | median)
  for name in "${names[@]}"; do
    m_wall=$(tr ' ' '\n' <<<"${wall[$name]}" | grep . | median)
    m_peak=$(tr ' ' '\n' <<<"${peak[$name]}" | grep . | median)
    result[$set:$name]=$m_wall
    result[$set:$name:peak]=$((m_peak / 1024))
    printf '%-4s %-11s %9.2f %10.0f %12.2f\n' "$set" "$name" "$m_wall" "$((m_peak / 1024))" \
      "$(awk -v a="$v_wall" -v b="$m_wall" 'BEGIN { print a / b }')"
  done
  # A raw file takes LibRaw's raw samples and working picture besides its
  # planes while it is decoded (16 bytes per pixel per file in flight).
  perpixel=24
  [[ $kind == raw ]] && perpixel=48
  budget=$(awk -v p=$((w * h)) -v b=$perpixel 'BEGIN { printf "%.0f", (b * p + 64 * 1048576) / 1048576 }')
  result[$set:budget]=$budget
  result[$set:perfile]=$(awk -v a="$v_wall" -v n="$n" 'BEGIN { printf "%.4f", a / n }')
  printf '%-4s %-11s %9s %10s   (%d files of %d x %d; per file %.3f s)\n' "$set" budget "" "$budget" \
    "$n" "$w" "$h" "${result[$set:perfile]}"
  rm -rf "$out"
  unset wall peak
done

# The targets: wall time against each peer, peak memory against the budget,
# memory and time per file flat from B to B50.
check() { # label value limit
  awk -v l="$1" -v v="$2" -v m="$3" 'BEGIN { printf "%-34s %8.3f  limit %8.3f  %s\n", l, v, m, v <= m ? "met" : "NOT met" }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }
echo
for set in "${sets[@]}"; do
  v=${result[$set:velmora]}
  case $set in A) f=1.6 ;; B) f=2.5 ;; B50 | R) f=0.75 ;; *) f= ;; esac
  [[ -n $f ]] && check "$set velmora / decode floor" "$(ratio "$v" "${result[$set:floor]}")" "$f"
  case $set in A | B) l=0.6 ;; C) l=0.45 ;; *) l= ;; esac
  [[ -n ${result[$set:libvips]:-} && -n $l ]] &&
    check "$set velmora / libvips" "$(ratio "$v" "${result[$set:libvips]}")" "$l"
  [[ -n ${result[$set:magick]:-} && ($set == A || $set == B) ]] &&
    check "$set velmora / ImageMagick" "$(ratio "$v" "${result[$set:magick]}")" 0.25
  check "$set velmora peak MiB" "${result[$set:velmora:peak]}" "${result[$set:budget]}"
  # Reading ahead on every core is never slower than one thread.
  check "$set velmora / VELMORA_THREADS=1" "$(ratio "$v" "${result[$set:serial]}")" 1
  check "$set differs from VELMORA_THREADS=1" $((1 - ${result[$set:identical]})) 0
done
if [[ -n ${result[B:velmora]:-} && -n ${result[B50:velmora]:-} ]]; then
  check "B50 / B peak memory" "$(ratio "${result[B50:velmora:peak]}" "${result[B:velmora:peak]}")" 1.05
  # Linear cost: each of the 40 files more costs no more than a file of B
  # on average (fixed costs included there).
  marginal=$(awk -v a="${result[B50:velmora]}" -v b="${result[B:velmora]}" 'BEGIN { print (a - b) / 40 }')
  check "B50 marginal s/file / B s/file" "$(ratio "$marginal" "${result[B:perfile]}")" 1.05
fi

# The window's preview on set A: the real main window hosting the run
# against the same run with no picture.
window=$build/bench/WindowBench
if [[ -x $window && -n ${result[A:velmora]:-} ]]; then
  out=$(mktemp -d)
  echo
  echo "window preview, set A: $(QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} RUNS=$runs \
    "$window" "$out/window.tif" "$data/A"/exposure* 2>/dev/null)"
  rm -rf "$out"
fi
