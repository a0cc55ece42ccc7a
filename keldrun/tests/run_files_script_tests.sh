#!/usr/bin/env bash
# The file and folder classes from one architecture's cscript, on a folder of
# files made here (one of them named outside the ANSI code page).
#   run_files_script_tests.sh x86|x64 <Keldrun.dll>
set -euo pipefail
arch=$1 dll=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts=$here/../../scripts
source "$scripts/wine-env.sh"
frame_wine_up
frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$dll")"
work=$WINEPREFIX/drive_c/keldrun-files-$arch
wide=$'\u03a9mega-\u0416.txt'
rm -rf "$work"
mkdir -p "$work/sub" "$work/taken"
: > "$work/a.txt"
: > "$work/b.txt"
printf 'd' > "$work/data.txt"
head -c 1024 /dev/zero > "$work/k.bin"
printf 'wide' > "$work/$wide"
status=0
"$scripts/run-vbs.sh" --test "$arch" "$here/files.vbs" "C:\\keldrun-files-$arch" "$wide" || status=$?
rm -rf "$work"
exit $status
