#!/usr/bin/env bash
# Runs a Windows program under Wine in a fresh prefix and on a private Xvfb
# screen of 1024 x 768, then removes both. Usage: run-in-wine.sh PROGRAM [ARGS...]
#
# The prefix is a hard-linked copy of a template made once per build tree
# (wineboot takes seconds; the copy takes milliseconds). The registry files,
# the only files Wine rewrites, are real copies so that tests never share state.
set -euo pipefail

build=${LUMORA_BUILD_DIR:-$PWD}
wine_dir=$build/wine
template=$wine_dir/template
mkdir -p "$wine_dir"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

(
  flock 9
  if [ ! -f "$template/.ready" ]; then
    rm -rf "$template"
    WINEPREFIX=$template wine wineboot -i >/dev/null 2>&1
    WINEPREFIX=$template wineserver -w
    touch "$template/.ready"
  fi
) 9>"$wine_dir/template.lock"

prefix=$(mktemp -d "$wine_dir/run.XXXXXX")
xvfb_pid=
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

cp -al "$template/." "$prefix/"
rm -f "$prefix/.ready"
for reg in system.reg user.reg userdef.reg; do
  rm -f "$prefix/$reg"
  cp "$template/$reg" "$prefix/$reg"
done
export WINEPREFIX=$prefix

if [ -z "${LUMORA_USE_DISPLAY:-}" ]; then
  displayfile=$prefix/.display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$displayfile")
fi

set +e
wine "$@"
status=$?
WINEPREFIX=$prefix wineserver -w
exit $status
