#!/usr/bin/env bash
# Registers one architecture's Sondrel and runs the device classes' VBScript
# and JScript clients with that architecture's cscript.
#   run_device_scripts.sh x86|x64 <Sondrel.dll>
set -euo pipefail
arch=$1 dll=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
frame_wine_up
frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$dll")"
status=0
"$here/../../scripts/run-vbs.sh" --test "$arch" "$here/devices.vbs" "$arch" || status=1
"$here/../../scripts/run-vbs.sh" --test "$arch" "$here/devices.js" || status=1
exit $status
