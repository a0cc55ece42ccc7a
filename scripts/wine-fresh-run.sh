#!/usr/bin/env bash
# Runs a Windows program in a fresh prefix of its own, where nothing of the
# project is registered, and removes the prefix afterwards:
#   wine-fresh-run.sh program.exe [args]
# The prefix is named after the program's path, so a run that was cut short
# leaves at most one behind, which the next run replaces.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
FRAME_WINEPREFIX="$root/build/wineprefix-fresh-$(md5sum <<<"$1" | cut -c1-8)"
export FRAME_WINEPREFIX
source "$root/scripts/wine-env.sh"
cleanup() { frame_wine_down; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
frame_fresh_prefix
frame_wine_up
status=0
wine "$@" || status=$?
exit $status
