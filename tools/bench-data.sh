# Sourced by tools/bench.sh and tools/bench-compare.sh: makes, once, the
# large benchmark files in $1 (a 12-megapixel synthetic photo in each type
# ImageMagick writes) with the generator $2 (bench_synth). A type that
# cannot be made is left out; the callers skip what is missing.
bench_make_data() {
  local data=$1 synth=$2 im=/usr/bin/convert
  [ -f "$data/.ready" ] && return 0
  mkdir -p "$data"
  "$synth" "$data/photo.ppm" || return 1
  if [ ! -x "$im" ]; then
    echo "ImageMagick not found: only the synthetic PPM is available" >&2
    return 0
  fi
  local name opts
  while read -r name opts; do
    # shellcheck disable=SC2086  # the options are words
    "$im" "$data/photo.ppm" $opts "$data/$name" 2>/dev/null || { echo "could not make $name" >&2; rm -f "$data/$name"; }
  done <<'LIST'
photo.bmp -type TrueColor
photo.tga -compress None
photo-rle.tga -compress RLE
photo.pcx
photo.tif -compress None
photo-lzw.tif -compress LZW
photo.ras
photo-q90.jpg -quality 90
photo-progressive.jpg -quality 90 -interlace Plane
LIST
  touch "$data/.ready"
}
