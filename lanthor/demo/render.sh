#!/usr/bin/env bash
# Renders the README's picture of both tooltip classes, docs/tooltip.png, with the 32-bit build under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/wine-env.sh"
frame_wine_up
arch=x86
frame_runs_arch x86 || arch=x64
program=$root/build/$arch/lanthor/demo/lanthor_render_tooltip.exe
wine "$program" "$(winepath -w "$root/dist/$arch/Lanthor.dll")" "$(winepath -w "$root/docs/tooltip.png")" 2> >(grep -v '^[0-9a-f]*:fixme:' >&2)
echo "docs/tooltip.png written"
