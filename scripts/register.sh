#!/usr/bin/env bash
# Registers both builds of every library in the project's prefix (the 64-bit one only, on a machine
# that runs no 32-bit programs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
frame_wine_up
# A failure says which library it was; a second try covers a prefix still settling after its creation.
register() {
    local arch=$1 dll=$2 status=0
    frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$dll")" || status=$?
    [ "$status" -eq 0 ] && return 0
    echo "register.sh: regsvr32 ($arch) $(basename "$dll") exited with $status; trying once more" >&2
    sleep 1
    frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$dll")"
}
for arch in $FRAME_ARCHS; do
    for dll in "$root/dist/$arch"/*.dll; do register "$arch" "$dll"; done
done
