#!/usr/bin/env bash
# Runs a Windows program under Wine in a fresh prefix and on a private Xvfb
# screen of 1024 x 768, then removes both. Usage: run-in-wine.sh PROGRAM [ARGS...]
# The build tree that holds the prefix template is $LUMORA_BUILD_DIR ($PWD
# when unset); see wine-env.sh.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"

wine_env_prefix "${LUMORA_BUILD_DIR:-$PWD}"
wine_env_display

set +e
wine "$@"
status=$?
wineserver -w
exit $status
