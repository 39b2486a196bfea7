#!/usr/bin/env bash
# Sets our decoders beside others on the large benchmark files, all in one
# run on the same files: our load time (bench_decode_file), Pillow's
# Image.open().load() and, for JPEG, djpeg's, each the best of BENCH_RUNS
# (default 5), in milliseconds. Then our ReduceDIB to 256 colours beside
# ImageMagick's -colors 256: time and PSNR. A tool or file that is missing
# shows "-" in its place.  Usage: tools/bench-compare.sh BUILD
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
bin=$build/native/bin
data=$build/bench-data
runs=${BENCH_RUNS:-5}
py=/usr/bin/python3
im=/usr/bin/convert
compare=/usr/bin/compare
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for prog in bench_decode_file bench_reduce_file bench_synth; do
  if [ ! -x "$bin/$prog" ]; then
    echo "no $bin/$prog: build the native tree first (make native)" >&2
    exit 1
  fi
done
# shellcheck source=tools/bench-data.sh
. "$root/tools/bench-data.sh"
bench_make_data "$data" "$bin/bench_synth"

# Best of $1 runs of the command, in ms with one decimal; fails with it.
best_ms() {
  local n=$1 best="" t0 t1 us i
  shift
  for ((i = 0; i < n; i++)); do
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 || return 1
    t1=$(date +%s%N)
    us=$(((t1 - t0) / 1000))
    if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  printf '%d.%d' $((best / 1000)) $((best % 1000 / 100))
}

have_pillow=0
[ -x "$py" ] && "$py" -c 'import PIL' 2>/dev/null && have_pillow=1
pillow_ms() {
  [ $have_pillow = 1 ] || return 1
  "$py" - "$1" "$runs" <<'PY' 2>/dev/null
import sys, time
from PIL import Image
path, runs = sys.argv[1], int(sys.argv[2])
best = float("inf")
for _ in range(runs):
    t0 = time.perf_counter()
    with Image.open(path) as im:
        im.load()
    best = min(best, time.perf_counter() - t0)
print(f"{best * 1000:.1f}")
PY
}

echo "Decode, best of $runs (ms)"
printf '%-24s %10s %10s %10s\n' file ours pillow djpeg
for f in "$data"/*; do
  name=$(basename "$f")
  case $name in *.ppm) continue ;; esac
  ours=$("$bin/bench_decode_file" -n "$runs" "$f" | cut -f1)
  pillow=$(pillow_ms "$f") || pillow=-
  djpeg=-
  case $name in
    *.jpg) command -v djpeg >/dev/null && { djpeg=$(best_ms "$runs" djpeg -outfile /dev/null "$f") || djpeg=-; } ;;
  esac
  printf '%-24s %10s %10s %10s\n' "$name" "${ours:--}" "$pillow" "$djpeg"
done

echo
echo "Reduction to 256 colours of photo.bmp (time in ms, best of 3; PSNR in dB against the original)"
printf '%-24s %10s %10s\n' "" time PSNR
src=$data/photo.bmp
if [ ! -f "$src" ]; then
  echo "(no $src: skipped)"
  exit 0
fi
if read -r ms psnr < <("$bin/bench_reduce_file" -n 3 "$src" "$tmp/ours.ppm" 2>/dev/null); then
  printf '%-24s %10s %10s\n' "ReduceDIB (dither 1)" "$ms" "$psnr"
else
  printf '%-24s %10s %10s\n' "ReduceDIB (dither 1)" - -
fi
if [ -x "$im" ]; then
  # ImageMagick's time includes reading and writing; subtract a plain conversion.
  total=$(best_ms 3 "$im" "$src" -colors 256 "$tmp/im.ppm") || total=""
  base=$(best_ms 3 "$im" "$src" "$tmp/plain.ppm") || base=""
  psnr=-
  [ -x "$compare" ] && [ -f "$tmp/im.ppm" ] && psnr=$("$compare" -metric PSNR "$data/photo.ppm" "$tmp/im.ppm" null: 2>&1 | awk '{printf "%.2f", $1}')
  if [ -n "$total" ] && [ -n "$base" ]; then
    quant=$(awk -v t="$total" -v b="$base" 'BEGIN { printf "%.1f", t - b }')
    printf '%-24s %10s %10s   (%s ms in all, %s ms without -colors)\n' "ImageMagick -colors 256" "$quant" "$psnr" "$total" "$base"
  else
    printf '%-24s %10s %10s\n' "ImageMagick -colors 256" - "$psnr"
  fi
else
  printf '%-24s %10s %10s\n' "ImageMagick -colors 256" - -
fi
