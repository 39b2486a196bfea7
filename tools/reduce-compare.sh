#!/usr/bin/env bash
# Colour reduction against ImageMagick: PSNR and time of ReduceDIB(dib, N, 1)
# and (dib, N, 0) beside `convert in.ppm -colors N` with and without +dither.
# A measurement, not a test: nothing fails on the numbers.
#
# Usage: tools/reduce-compare.sh [-n COLOURS] [-b BUILD_TREE] [IMAGE...]
#   BUILD_TREE holds imglib/libimglib.a (default build/native: `make native`).
#   IMAGEs are anything djpeg or ImageMagick reads; by default the corpus
#   photos, and a 12-megapixel one made from the largest of them.
# Times are CPU milliseconds on one core: ImageMagick runs with one thread,
# and its figure has the time of reading and writing the same PPM taken off.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
colours=256
tree=$here/build/native
while getopts n:b: opt; do
  case $opt in
    n) colours=$OPTARG ;;
    b) tree=$OPTARG ;;
    *) sed -n 2,12p "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
convert=/usr/bin/convert
lib=$tree/imglib/libimglib.a
[ -f "$lib" ] || { echo "no $lib: run make native first" >&2; exit 1; }
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/driver.cpp" <<'EOF'
// reduce <in.ppm> <out.ppm> <colours> <dither>: best CPU ms of 3 runs and PSNR.
// psnr <a.ppm> <b.ppm>: PSNR in dB over all three channels.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "dib_rgb.h"
#include "imglib.h"

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
};

static bool ReadPpm(const char* path, Image* im) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char magic[3] = {};
    int v[3], got = 0;
    bool ok = std::fscanf(f, "%2s", magic) == 1 && !std::strcmp(magic, "P6");
    while (ok && got < 3) {
        int c = std::fgetc(f);
        if (c == '#') {
            while (c != '\n' && c != EOF) c = std::fgetc(f);
        } else if (c == EOF) {
            ok = false;
        } else if (!std::isspace(c)) {
            std::ungetc(c, f);
            ok = std::fscanf(f, "%d", &v[got++]) == 1;
        }
    }
    ok = ok && std::fgetc(f) != EOF && v[2] == 255 && v[0] > 0 && v[1] > 0;
    if (ok) {
        im->w = v[0];
        im->h = v[1];
        im->rgb.resize(size_t(im->w) * im->h * 3);
        ok = std::fread(im->rgb.data(), 1, im->rgb.size(), f) == im->rgb.size();
    }
    std::fclose(f);
    return ok;
}

static double Psnr(const Image& a, const Image& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return -1;
    double se = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) se += (double(a.rgb[i]) - b.rgb[i]) * (double(a.rgb[i]) - b.rgb[i]);
    return se == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * a.rgb.size() / se);
}

int main(int argc, char** argv) {
    if (argc == 4 && !std::strcmp(argv[1], "psnr")) {
        Image a, b;
        if (!ReadPpm(argv[2], &a) || !ReadPpm(argv[3], &b)) return 2;
        std::printf("%.2f\n", Psnr(a, b));
        return 0;
    }
    if (argc != 6 || std::strcmp(argv[1], "reduce")) return 2;
    Image in;
    if (!ReadPpm(argv[2], &in)) return 2;
    size_t stride = (size_t(in.w) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> block(40 + stride * in.h);
    auto* hdr = reinterpret_cast<ImgDibHeader*>(block.data());
    hdr->biSize = 40;
    hdr->biWidth = in.w;
    hdr->biHeight = in.h;
    hdr->biPlanes = 1;
    hdr->biBitCount = 24;
    for (int y = 0; y < in.h; ++y)
        for (int x = 0; x < in.w; ++x) {
            uint8_t* d = block.data() + 40 + size_t(in.h - 1 - y) * stride + 3 * size_t(x);
            const uint8_t* s = in.rgb.data() + (size_t(y) * in.w + x) * 3;
            d[0] = s[2], d[1] = s[1], d[2] = s[0];
        }
    double best = 1e30;
    PDIB out = nullptr;
    for (int run = 0; run < 3; ++run) {
        DIBFree(out);
        std::clock_t t0 = std::clock();
        out = ReduceDIB(hdr, std::atoi(argv[4]), std::atoi(argv[5]));
        double ms = 1000.0 * double(std::clock() - t0) / CLOCKS_PER_SEC;
        if (ms < best) best = ms;
    }
    Image res;
    if (!out || !imglib::DibToRgb(out, &res.rgb)) return 1;
    res.w = in.w;
    res.h = in.h;
    FILE* f = std::fopen(argv[3], "wb");
    std::fprintf(f, "P6\n%d %d\n255\n", res.w, res.h);
    std::fwrite(res.rgb.data(), 1, res.rgb.size(), f);
    std::fclose(f);
    std::printf("%.2f %.0f %u\n", Psnr(in, res), best, out->biClrUsed);
    DIBFree(out);
    return 0;
}
EOF
g++ -O2 -std=c++17 -I"$here/imglib/include" -I"$here/imglib/src" "$work/driver.cpp" "$lib" -lz -o "$work/driver"

# CPU milliseconds (user + system) of one command, best of three.
cpu_ms() {
  local best= t
  for _ in 1 2 3; do
    /usr/bin/time -o "$work/time" -f '%U %S' "$@" >/dev/null 2>&1
    t=$(awk '{printf "%.0f", ($1 + $2) * 1000}' "$work/time")
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}

images=("$@")
if [ ${#images[@]} -eq 0 ]; then
  corpus=$here/../shared/corpus/jpg
  for name in jpegdec_rgb jpegdec_mjpeg pillow_junk_jpeg_header jpegdec_progressive3 zigimg_tuba pillow_flower; do
    [ -f "$corpus/$name.jpg" ] && images+=("$corpus/$name.jpg")
  done
  [ ${#images[@]} -gt 0 ] || { echo "no images given and no corpus at $corpus" >&2; exit 1; }
  # A 12-megapixel photo: the largest sample enlarged, with grain added so
  # that it is not smoother than a camera's picture.
  # (djpeg warns about, and exits non-zero on, this sample's stray bytes)
  djpeg -ppm "$corpus/pillow_junk_jpeg_header.jpg" 2>/dev/null >"$work/src.ppm" || [ -s "$work/src.ppm" ]
  $convert "$work/src.ppm" -resize '4000x3000!' -attenuate 0.3 +noise Gaussian "$work/photo-12mp.ppm"
  images+=("$work/photo-12mp.ppm")
fi

printf '%-28s %9s | %-20s %-20s | %-20s %-20s\n' image size \
  "ReduceDIB dither" "IM dither" "ReduceDIB plain" "IM +dither"
for img in "${images[@]}"; do
  ppm=$work/in.ppm
  case $img in
    *.ppm) cp "$img" "$ppm" ;;
    *.jpg | *.jpeg) djpeg -ppm "$img" 2>/dev/null >"$ppm" || [ -s "$ppm" ] ;;
    *) $convert "$img[0]" -depth 8 "ppm:$ppm" ;;
  esac
  size=$(head -c 64 "$ppm" | sed -n 2p | tr ' ' x)
  read -r psnr_d ms_d _ < <("$work/driver" reduce "$ppm" "$work/ours_d.ppm" "$colours" 1)
  read -r psnr_p ms_p _ < <("$work/driver" reduce "$ppm" "$work/ours_p.ppm" "$colours" 0)
  io=$(cpu_ms $convert "$ppm" "$work/copy.ppm")
  im_d=$(( $(cpu_ms $convert "$ppm" -colors "$colours" "$work/im_d.ppm") - io ))
  im_p=$(( $(cpu_ms $convert "$ppm" +dither -colors "$colours" "$work/im_p.ppm") - io ))
  printf '%-28s %9s | %6s dB %6s ms    %6s dB %6s ms    | %6s dB %6s ms    %6s dB %6s ms\n' \
    "$(basename "$img")" "$size" \
    "$psnr_d" "$ms_d" "$("$work/driver" psnr "$ppm" "$work/im_d.ppm")" "$im_d" \
    "$psnr_p" "$ms_p" "$("$work/driver" psnr "$ppm" "$work/im_p.ppm")" "$im_p"
done
