#!/usr/bin/env bash
# Script clients of both builds in the project's Wine prefix: the administrator
# file saved by one architecture is read by the other (on a machine that runs
# only 64-bit programs, by the same), and the files on disk
# start with the UTF-16 byte-order mark.
#   run_script_tests.sh <x86 Keldrun.dll> <x64 Keldrun.dll>
set -euo pipefail
dll32=$1 dll64=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts=$here/../../scripts
source "$scripts/wine-env.sh"
frame_wine_up
if frame_runs_arch x86; then frame_wine_system x86 regsvr32.exe /s "$(winepath -w "$dll32")"; fi
frame_wine_system x64 regsvr32.exe /s "$(winepath -w "$dll64")"
work=$WINEPREFIX/drive_c/keldrun-script
rm -rf "$work"
mkdir -p "$work"
folder='C:\keldrun-script'
script=$here/security_files.vbs
admin=$WINEPREFIX/drive_c/windows/system32/Users.SecurityFile
failed=0 passed=0
bom() {
    if [ -f "$1" ] && [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = "fffe" ]; then
        echo "ok   $2 starts with FF FE"; passed=$((passed + 1))
    else
        echo "FAIL $2 does not start with FF FE"; failed=$((failed + 1))
    fi
}
# One script run with one architecture's cscript; its exit code decides.
step() {
    local status=0
    "$scripts/run-vbs.sh" --test "$@" || status=$?
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
    else
        echo "FAIL run-vbs.sh $* exited with $status"; failed=$((failed + 1))
    fi
}
rm -f "$admin" "$WINEPREFIX/drive_c/windows/syswow64/Users.SecurityFile"
if frame_runs_arch x86; then
    step x86 "$script" save x86 "$folder"
    bom "$admin" "administrator file from x86"
    bom "$work/user-x86.SecurityFile" "user file from x86"
    step x64 "$script" check x86 "$folder"
fi
step x64 "$script" save x64 "$folder"
bom "$admin" "administrator file from x64"
bom "$work/user-x64.SecurityFile" "user file from x64"
# Read back by the other architecture, or on a machine that runs only one, by the same.
reader=x86
frame_runs_arch x86 || reader=x64
step "$reader" "$script" check x64 "$folder"
if [ -e "$WINEPREFIX/drive_c/windows/syswow64/Users.SecurityFile" ]; then
    echo "FAIL a redirected copy of the administrator file exists"; failed=$((failed + 1))
else
    echo "ok   no redirected copy of the administrator file"; passed=$((passed + 1))
fi
rm -f "$admin"
rm -rf "$work"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
