#!/usr/bin/env bash
# Registers the probe and Sondrel of one architecture and runs the script-host test with that cscript.
set -euo pipefail
arch=$1; probe=$2; sondrel=$3; script=$4
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
frame_wine_up
regsvr='C:\windows\system32\regsvr32.exe'
[ "$arch" = x86 ] && regsvr='C:\windows\syswow64\regsvr32.exe'
wine "$regsvr" /s "$(winepath -w "$probe")"
wine "$regsvr" /s "$(winepath -w "$sondrel")"
status=0
"$(dirname "${BASH_SOURCE[0]}")/../../scripts/run-vbs.sh" "$arch" "$script" | tr -d '\r' || status=$?
wine "$regsvr" /u /s "$(winepath -w "$probe")"
exit $status
