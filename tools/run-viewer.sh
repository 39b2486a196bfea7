#!/usr/bin/env bash
# Starts the built viewer under Wine (`make run`). Usage: run-viewer.sh BUILD
#
# The Wine prefix is BUILD/wine/run-prefix (made with wineboot on first use,
# never ~/.wine); the viewer's settings stay there from run to run.
# With a reachable $DISPLAY the viewer opens there and this waits until it
# ends. Without one it runs on a private Xvfb of 1024 x 768: once the main
# window is up, a screenshot goes to BUILD/screens/, then the viewer is closed
# the way a user closes it (WM_CLOSE), so that it saves its settings.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/wine/wine-env.sh"

exe=
for candidate in "$build"/win64/viewer/{Lumora,lumora}.exe; do
  if [ -f "$candidate" ]; then exe=$candidate; break; fi
done
if [ -z "$exe" ]; then
  exe=$(find "$build/win64" -iname lumora.exe -not -path '*/wine/*' -print -quit 2>/dev/null || true)
fi
if [ -z "$exe" ]; then
  echo "run-viewer: no lumora.exe under $build/win64 (run 'make win64' first)" >&2
  exit 1
fi

export WINEPREFIX=$build/wine/run-prefix
if [ ! -f "$WINEPREFIX/.ready" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (once)..."
  wine_env_template "$WINEPREFIX"
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting $exe on $DISPLAY"
  set +e
  wine "$exe"
  status=$?
  wineserver -w
  exit $status
fi

# No display: a private screen, a screenshot, and a proper close.
post_command=$build/win64/tests/e2e/post_command.exe
screens=$build/screens
mkdir -p "$screens"
viewer_pid=
finish() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  if [ -n "$wine_env_xvfb_pid" ]; then
    WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1 || true
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
  fi
}
trap finish EXIT
wine_env_xvfb "$build/wine/run-display"
echo "No display: running $exe on a private Xvfb ($DISPLAY)"

# Inside a Wine virtual desktop, so that Wine draws the window frames a
# window manager would and the screenshot shows the title bar.
win_info=$build/win64/tests/e2e/win_info.exe
in_desktop() { wine explorer /desktop=lumora,1024x768 "$@"; }
in_desktop "$exe" &
viewer_pid=$!

# The first explorer owns the desktop; ask only once it is up, or the
# asking program's explorer would become the desktop's owner instead.
for _ in $(seq 120); do
  xdotool search --name '^lumora - Wine desktop$' >/dev/null 2>&1 && break
  sleep 0.5
done
found=
for _ in $(seq 120); do
  if [ -f "$win_info" ]; then
    in_desktop "$win_info" --title Lumora >/dev/null 2>&1 && found=1
  else
    xdotool search --onlyvisible --name 'lumora' >/dev/null 2>&1 && found=1
  fi
  [ -n "$found" ] && break
  kill -0 "$viewer_pid" 2>/dev/null || { echo "run-viewer: the viewer ended early" >&2; exit 1; }
  sleep 0.5
done
if [ -z "$found" ]; then
  echo "run-viewer: no window titled Lumora within 60 s" >&2
  exit 1
fi
sleep 1  # let it paint its first frame
shot=$screens/lumora-$(date +%Y%m%d-%H%M%S).png
import -window root "$shot"
echo "Screenshot: $shot"

if [ -f "$post_command" ]; then
  in_desktop "$post_command" --title Lumora close
else
  in_desktop taskkill /im "$(basename "$exe")" >/dev/null  # without /f: posts WM_CLOSE
fi
status=0
for _ in $(seq 150); do
  kill -0 "$viewer_pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$viewer_pid" 2>/dev/null; then
  echo "run-viewer: the viewer did not end after WM_CLOSE" >&2
  exit 1
fi
wait "$viewer_pid" || status=$?
viewer_pid=
wineserver -w  # flush the registry: the settings are saved in the prefix
echo "The viewer ended (exit code $status); its settings are in $WINEPREFIX"
exit $status
