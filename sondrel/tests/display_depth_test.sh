#!/usr/bin/env bash
# DisplayColors on X screens of 16 and 8 bits per pixel: for each, a second
# Xvfb of that depth (display number FRAME_DISPLAY_NUMBER + 100) and the probe
# started on it in the project's prefix.
#   display_depth_test.sh <sondrel_osinfo_probe.exe>
set -euo pipefail
probe=$1
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
frame_wine_up
number=$((FRAME_DISPLAY_NUMBER + 100))
second=":$number"
xvfb=
stop_xvfb() { [ -z "$xvfb" ] || { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true; xvfb=; }; }
trap stop_xvfb EXIT
failed=0
for case in "16 65536" "8 256"; do
    read -r depth expected <<<"$case"
    if [ -f "/tmp/.X$number-lock" ] && ! kill -0 "$(tr -d ' ' < "/tmp/.X$number-lock")" 2>/dev/null; then
        rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
    fi
    Xvfb "$second" -screen 0 "800x600x$depth" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 1 50); do DISPLAY=$second xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    line=$(cd "$(dirname "$probe")" && DISPLAY=$second wine "./$(basename "$probe")" 2>/dev/null | tr -d '\r')
    stop_xvfb
    colors=$(cut -d'|' -f6 <<<"$line")
    if [ "$colors" = "$expected" ]; then
        echo "ok   DisplayColors at $depth bits per pixel is $colors"
    else
        echo "FAIL DisplayColors at $depth bits per pixel is '$colors', not $expected (probe said '$line')"
        failed=1
    fi
done
exit $failed
