#!/usr/bin/env bash
# Checks the Debian packages the build and tests need. As root it installs
# the missing ones; otherwise it prints the apt-get line and fails.
# Never wine32: the build machines cannot run 32-bit programs.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libz-mingw-w64-dev zlib1g-dev libpng-dev
  googletest libgtest-dev libbenchmark-dev
  wine wine64 xvfb xdotool x11-utils imagemagick
  clang libclang-rt-14-dev
  libjpeg-turbo-progs python3-pil python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
