# Sourced by the Wine test runners: a fresh Wine prefix and a private Xvfb
# screen of 1024 x 768 per run, both removed when the calling shell exits.
#
#   wine_env_prefix BUILD_DIR   exports WINEPREFIX: a hard-linked copy of a
#                               template made once per build tree (wineboot
#                               takes seconds; the copy milliseconds). The
#                               registry files, the only files Wine rewrites,
#                               are real copies, so runs never share state.
#   wine_env_display            exports DISPLAY: a private Xvfb, unless
#                               LUMORA_USE_DISPLAY is set (then the caller's).
#                               LUMORA_XVFB_DEPTH sets its colour depth
#                               (default 24; 8 gives a 256-colour palette
#                               display, as Wine reports it).
#   wine_env_cleanup            ends the prefix's wineserver and the Xvfb and
#                               removes the prefix (installed as the EXIT trap).

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono, no Gecko, no desktop menu entries: nothing to download or install.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

wine_env_xvfb_pid=
wine_env_run_prefix=

wine_env_cleanup() {
  if [ -n "$wine_env_run_prefix" ]; then
    WINEPREFIX=$wine_env_run_prefix wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$wine_env_xvfb_pid" ]; then
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "$wine_env_run_prefix" ]; then rm -rf "$wine_env_run_prefix"; fi
}

# wine_env_template DIR: makes DIR a booted prefix once (safe in parallel).
wine_env_template() {
  local template=$1
  mkdir -p "$(dirname "$template")"
  (
    flock 9
    if [ ! -f "$template/.ready" ]; then
      rm -rf "$template"
      WINEPREFIX=$template wine wineboot -i >/dev/null 2>&1
      WINEPREFIX=$template wineserver -w
      touch "$template/.ready"
    fi
  ) 9>"$template.lock"
}

wine_env_prefix() {
  local wine_dir=$1/wine
  local template=$wine_dir/template
  wine_env_template "$template"
  wine_env_run_prefix=$(mktemp -d "$wine_dir/run.XXXXXX")
  trap wine_env_cleanup EXIT
  cp -al "$template/." "$wine_env_run_prefix/"
  rm -f "$wine_env_run_prefix/.ready"
  local reg
  for reg in system.reg user.reg userdef.reg; do
    rm -f "$wine_env_run_prefix/$reg"
    cp "$template/$reg" "$wine_env_run_prefix/$reg"
  done
  export WINEPREFIX=$wine_env_run_prefix
}

# wine_env_xvfb FILE: starts Xvfb 1024x768 (depth LUMORA_XVFB_DEPTH or 24),
# writes its display number to FILE and sets wine_env_xvfb_pid; exports DISPLAY.
wine_env_xvfb() {
  local displayfile=$1
  : >"$displayfile"
  Xvfb -displayfd 3 -screen 0 "1024x768x${LUMORA_XVFB_DEPTH:-24}" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  wine_env_xvfb_pid=$!
  local _
  for _ in $(seq 200); do [ -s "$displayfile" ] && break; sleep 0.05; done
  if [ ! -s "$displayfile" ]; then
    echo "wine-env: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$(head -n1 "$displayfile")
}

wine_env_display() {
  if [ -z "${LUMORA_USE_DISPLAY:-}" ]; then
    wine_env_xvfb "$WINEPREFIX/.display"
  fi
}
