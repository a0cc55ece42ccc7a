#!/usr/bin/env bash
# Runs a Windows program in a fresh prefix of its own, where nothing of the
# project is registered, and removes the prefix afterwards:
#   wine-fresh-run.sh program.exe [args]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mkdir -p "$root/build"
FRAME_WINEPREFIX=$(mktemp -d "$root/build/wineprefix-fresh.XXXXXX")
export FRAME_WINEPREFIX
source "$root/scripts/wine-env.sh"
cleanup() { frame_wine_down; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
frame_fresh_prefix
frame_wine_up
status=0
wine "$@" || status=$?
exit $status
