#!/usr/bin/env bash
# Builds the libFuzzer targets in BUILD/fuzz (clang, ASan + UBSan) and runs
# each for FUZZ_SECONDS (default 600). Inputs that crash, leak or time out
# are saved in imglib/fuzz/regressions/ as <check>-<kind>-<hash>; the
# imglib_tests program replays every file there (FuzzRegression).
#
# Usage: tools/fuzz.sh BUILD [CHECK...]   checks: decode reduce bmp pcx tga tif ras pcd jpg
# Environment: FUZZ_SECONDS, FUZZ_MAX_LEN (default 65536), JOBS (build jobs,
# default 2), LUMORA_CORPUS (sample files used as seeds when present),
# FUZZ_ARTIFACTS (where to save problem inputs instead of regressions/).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
shift || true
case $build in /*) ;; *) build=$root/$build ;; esac
fuzz=$build/fuzz
seconds=${FUZZ_SECONDS:-600}
max_len=${FUZZ_MAX_LEN:-65536}
corpus=${LUMORA_CORPUS:-$root/../shared/corpus}
regressions=${FUZZ_ARTIFACTS:-$root/imglib/fuzz/regressions}
all_checks=(decode reduce bmp pcx tga tif ras pcd jpg)
checks=("$@")
[ ${#checks[@]} -eq 0 ] && checks=("${all_checks[@]}")

cmake -S "$root" -B "$fuzz" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLUMORA_FUZZ=ON -DLUMORA_BENCH=OFF >/dev/null || exit 1
targets=()
for c in "${checks[@]}"; do targets+=("fuzz_$c"); done
cmake --build "$fuzz" -j"${JOBS:-2}" --target "${targets[@]}" || exit 1

# Small seeds of every type, made once with ImageMagick: true colour,
# palette, grey and bilevel pictures, each compression the type offers.
seeds=$fuzz/seeds
IM=/usr/bin/convert
make_seeds() {
  local t=$1
  mkdir -p "$seeds/$t"
  local -a variants=("" "-type Palette" "-colorspace Gray" "-type Bilevel" "-type TrueColorAlpha")
  local -a extras=("")
  case $t in
    tga) extras=("" "-compress RLE") ;;
    tif) extras=("-compress None" "-compress LZW" "-compress Zip" "-compress PackBits" "-define tiff:predictor=2 -compress LZW" "-interlace Plane" "-endian MSB") ;;
    ras) extras=("" "-compress RLE") ;;
    jpg) extras=("" "-interlace Plane" "-sampling-factor 4:4:4" "-sampling-factor 4:2:2" "-define jpeg:restart-interval=1") ;;
    bmp) extras=("" "-compress RLE" "-define bmp:format=bmp3" "-define bmp:format=bmp2") ;;
  esac
  local n=0 v e fmt=$t
  [ "$t" = ras ] && fmt=SUN
  for v in "${variants[@]}"; do
    for e in "${extras[@]}"; do
      # shellcheck disable=SC2086  # the options are words
      $IM -size 13x7 gradient:navy-orange -fill white -draw 'point 3,3' $v $e "$fmt:$seeds/$t/seed$n.$t" 2>/dev/null
      n=$((n + 1))
    done
  done
  if [ "$t" = bmp ]; then  # bare DIBs: the same files without the 14-byte file header
    for f in "$seeds/bmp"/*.bmp; do tail -c +15 "$f" >"${f%.bmp}.dib"; done
  fi
}
if command -v "$IM" >/dev/null && [ ! -f "$seeds/.ready" ]; then
  rm -rf "$seeds"
  for t in bmp pcx tga tif ras jpg; do make_seeds "$t"; done
  touch "$seeds/.ready"
fi

# The decode check takes the last byte as the extension's index (harness.h).
ext_index() {
  case $1 in bmp) echo 0 ;; pcx) echo 1 ;; tga) echo 2 ;; tif) echo 3 ;; dib) echo 4 ;; rle) echo 5 ;;
    ras) echo 6 ;; pcd) echo 7 ;; jpg) echo 8 ;; *) echo 9 ;; esac
}
decode_seeds=$fuzz/seeds-decode
if [ ! -f "$decode_seeds/.ready" ]; then
  rm -rf "$decode_seeds"
  mkdir -p "$decode_seeds"
  while IFS= read -r -d '' f; do
    [ "$(stat -c %s "$f")" -le "$max_len" ] || continue
    ext=${f##*.}
    out=$decode_seeds/$(basename "$(dirname "$f")")_$(basename "$f")
    { cat "$f"; printf "\\$(printf '%03o' "$(ext_index "$ext")")"; } >"$out"
  done < <(find "$seeds" ${corpus:+"$corpus"} -type f ! -name '*.png' ! -name '*.md' ! -name '*.tsv' -print0 2>/dev/null)
  touch "$decode_seeds/.ready"
fi

mkdir -p "$regressions"
failed=()
for c in "${checks[@]}"; do
  work=$fuzz/corpus/$c
  mkdir -p "$work"
  dirs=("$work")
  len=$max_len
  case $c in
    decode) dirs+=("$decode_seeds") ;;
    reduce) ;;
    *)
      [ -d "$seeds/$c" ] && dirs+=("$seeds/$c")
      [ -d "$corpus/$c" ] && dirs+=("$corpus/$c")
      [ "$c" = bmp ] && [ -d "$corpus/bad" ] && dirs+=("$corpus/bad")
      [ "$c" = pcd ] && len=1048576 ;;  # the base picture sits far into the file
  esac
  echo "== fuzz_$c for ${seconds}s"
  # Fork mode goes on after a crash, so one run finds more than the first
  # problem; what it found is told by the new files it saved.
  before=$(ls "$regressions" | grep -c "^$c-")
  "$fuzz/imglib/fuzz/fuzz_$c" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -max_len="$len" -timeout=25 -rss_limit_mb=3072 -print_final_stats=1 \
    -artifact_prefix="$regressions/$c-" "${dirs[@]}" >"$fuzz/fuzz_$c.log" 2>&1
  after=$(ls "$regressions" | grep -c "^$c-")
  if [ "$after" -gt "$before" ]; then
    failed+=("$c")
    echo "   $((after - before)) new problem input(s): see $fuzz/fuzz_$c.log"
  fi
  grep -E '^#[0-9]+: cov' "$fuzz/fuzz_$c.log" | tail -n 1 | sed 's/^/   /'
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Problems in: ${failed[*]}; saved inputs are in $regressions"
  exit 1
fi
echo "No problems found."
