#!/usr/bin/env bash
# Registers both builds of every library in the project's prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
frame_wine_up
for arch in x86 x64; do
    for dll in "$root/dist/$arch"/*.dll; do frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$dll")"; done
done
