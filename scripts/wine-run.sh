#!/usr/bin/env bash
# Runs a Windows program in the project's prefix: wine-run.sh program.exe [args]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
frame_wine_up
exec wine "$@"
