#!/usr/bin/env bash
# Each library DLL of a deliverables folder is at most 200 KiB and imports
# nothing but the system's own DLLs, so it needs no runtime beside it:
#   dll_shape.sh <objdump> <folder>
set -euo pipefail
objdump=$1; folder=$2
limit=$((200 * 1024))
system='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shell32|shlwapi|comctl32|comdlg32|version|msvcrt)\.dll$'
fail=0; count=0
for dll in "$folder"/*.dll; do
    [ -e "$dll" ] || continue
    count=$((count + 1))
    name=$(basename "$dll")
    size=$(stat -c %s "$dll")
    if [ "$size" -le "$limit" ]; then echo "ok   $name: $size bytes"; else echo "FAIL $name: $size bytes, over $limit"; fail=1; fi
    while read -r import; do
        if ! grep -qiE "$system" <<<"$import"; then echo "FAIL $name imports $import"; fail=1; fi
    done < <("$objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p')
done
[ "$count" -gt 0 ] || { echo "FAIL no DLL in $folder"; fail=1; }
exit $fail
