#!/usr/bin/env bash
# Registers the probe and Sondrel of one architecture and runs the script-host test with that cscript.
set -euo pipefail
arch=$1; probe=$2; sondrel=$3; script=$4
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
frame_wine_up
frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$probe")"
frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$sondrel")"
status=0
"$(dirname "${BASH_SOURCE[0]}")/../../scripts/run-vbs.sh" --test "$arch" "$script" || status=$?
frame_wine_system "$arch" regsvr32.exe /u /s "$(winepath -w "$probe")"
exit $status
