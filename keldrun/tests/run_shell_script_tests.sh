#!/usr/bin/env bash
# CShellExecute from one architecture's script host: handlers for a document
# type, a URL scheme and "mailto" run shell_child.exe, which records how it was
# started; the registrations are removed (mailto's put back) afterwards.
#   run_shell_script_tests.sh x86|x64 <Keldrun.dll> <shell_child.exe>
set -euo pipefail
arch=$1 dll=$2 child=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts=$here/../../scripts
source "$scripts/wine-env.sh"
frame_wine_up
reg() { frame_wine_system "$arch" reg.exe "$@" >/dev/null 2>&1; }
frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$dll")"

name=$(printf 'Ωμέγα кот 鍵')
work=$WINEPREFIX/drive_c/keldrun-shell-script-$arch
rm -rf "$work"
mkdir -p "$work/$name"
cp "$child" "$work/shell_child.exe"
cp "$child" "$work/$name/$name.exe"
folder=$(winepath -w "$work")
childw="$folder\\shell_child.exe"
extension=.keldrun-shell-vbs-$arch
scheme=keldrun-shell-vbs-$arch
progid=KeldrunShellVbsTest.$arch
handler() { printf '"%s" "%s\\%s.txt" record "%%1"' "$childw" "$folder" "$1"; }

mailto_key='HKCR\mailto\shell\open\command'
mailto_before=$(frame_wine_system "$arch" reg.exe query "$mailto_key" /ve 2>/dev/null | tr -d '\r' |
                sed -n 's/^ *(Default) *REG_SZ *//p')
restore() {
    reg delete "HKCR\\$extension" /f
    reg delete "HKCR\\$progid" /f
    reg delete "HKCR\\$scheme" /f
    if [ -n "$mailto_before" ]; then reg add "$mailto_key" /ve /d "$mailto_before" /f; fi
    rm -rf "$work"
}
trap restore EXIT
reg add "HKCR\\$extension" /ve /d "$progid" /f
for verb in open print explore; do reg add "HKCR\\$progid\\shell\\$verb\\command" /ve /d "$(handler "$verb")" /f; done
reg add "HKCR\\$scheme" /v "URL Protocol" /d "" /f
reg add "HKCR\\$scheme\\shell\\open\\command" /ve /d "$(handler url)" /f
reg add "$mailto_key" /ve /d "$(handler mailto)" /f

"$scripts/run-vbs.sh" --test "$arch" "$here/shell_execute.vbs" "$childw" "$folder" "$scheme" "$extension" "$name"
