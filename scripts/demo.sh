#!/usr/bin/env bash
# The demo: set-up, build, registration, then each library's script client in both architectures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
"$root/scripts/register.sh"
source "$root/scripts/wine-env.sh"
frame_runs_arch x86 || echo "== this machine runs no 32-bit programs: the demo runs the 64-bit build only"
for demo in "$root"/sondrel/demo/demo.vbs "$root"/keldrun/demo/demo.vbs "$root"/lanthor/demo/demo.vbs; do
    [ -f "$demo" ] || continue
    library=$(basename "$(dirname "$(dirname "$demo")")")
    for arch in $FRAME_ARCHS; do
        ls "$root/dist/$arch/" 2>/dev/null | grep -qi "^$library.dll$" || continue
        echo "== $library ($arch)"
        "$root/scripts/run-vbs.sh" "$arch" "$demo" | tr -d '\r'
    done
done
[ -x "$root/lanthor/demo/render.sh" ] && "$root/lanthor/demo/render.sh"
frame_wine_down
