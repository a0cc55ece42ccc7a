#!/usr/bin/env bash
# Runs a VBScript with one architecture's cscript: run-vbs.sh [--test] x86|x64 script.vbs [args]
# The exit code is the script's WScript.Quit code. Wine's cscript also exits 0 when a script stops at
# a run-time error, so with --test the run passes only if the script printed "script ran to its end".
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
frame_wine_up
test_run=0
[ "${1:-}" = --test ] && { test_run=1; shift; }
arch=$1; script=$2; shift 2
[ "$test_run" = 1 ] || { frame_wine_system "$arch" cscript.exe //nologo "$(winepath -w "$script")" "$@"; exit; }
status=0
output=$(frame_wine_system "$arch" cscript.exe //nologo "$(winepath -w "$script")" "$@" | tr -d '\r') || status=$?
printf '%s\n' "$output"
if ! grep -qx 'script ran to its end' <<<"$output"; then
    echo "FAIL $(basename "$script") stopped before its end (a run-time error in the script?)"
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"
