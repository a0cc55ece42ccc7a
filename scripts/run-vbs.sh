#!/usr/bin/env bash
# Runs a VBScript with one architecture's cscript: run-vbs.sh x86|x64 script.vbs [args]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
frame_wine_up
arch=$1; script=$2; shift 2
host='C:\windows\system32\cscript.exe'
[ "$arch" = x86 ] && host='C:\windows\syswow64\cscript.exe'
exec wine "$host" //nologo "$(winepath -w "$script")" "$@"
