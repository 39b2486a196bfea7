#!/usr/bin/env bash
# Runs one end-to-end test program (usually python3 SCRIPT CASE) in a fresh
# Wine prefix on a private Xvfb screen of 1024 x 768 (see ../wine/wine-env.sh).
# Environment: LUMORA_BUILD_DIR (the tree holding the prefix template),
# LUMORA_EXE (the viewer), LUMORA_E2E_TOOLS (post_command.exe and friends).
# Exit code 77 (skipped) when the viewer has not been built.
set -euo pipefail
. "$(dirname "$0")/../wine/wine-env.sh"

: "${LUMORA_BUILD_DIR:?}" "${LUMORA_EXE:?}" "${LUMORA_E2E_TOOLS:?}"
if [ ! -f "$LUMORA_EXE" ]; then
  echo "SKIP: the viewer $LUMORA_EXE is not built"
  exit 77
fi

export PYTHONDONTWRITEBYTECODE=1  # no __pycache__ in the source tree

wine_env_prefix "$LUMORA_BUILD_DIR"
wine_env_display
# One server for the whole case, so that the many short wine calls of a
# test start quickly; wine_env_cleanup ends it.
wineserver -p

"$@"
