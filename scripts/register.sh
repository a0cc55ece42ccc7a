#!/usr/bin/env bash
# Registers both builds of every library in the project's prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
frame_wine_up
for dll in "$root"/dist/x86/*.dll; do wine 'C:\windows\syswow64\regsvr32.exe' /s "$(winepath -w "$dll")"; done
for dll in "$root"/dist/x64/*.dll; do wine 'C:\windows\system32\regsvr32.exe' /s "$(winepath -w "$dll")"; done
