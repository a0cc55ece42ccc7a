#!/usr/bin/env bash
# In a fresh prefix: registering every DLL of both builds succeeds and makes
# its classes creatable by programmatic identifier; unregistering removes
# exactly the keys that registering wrote.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export FRAME_WINEPREFIX="$root/build/wineprefix-registration"
source "$root/scripts/wine-env.sh"
trap frame_wine_down EXIT
frame_fresh_prefix
frame_wine_up
work="$root/build/registration"
rm -rf "$work"; mkdir -p "$work"
snapshot() {
    # The 64-bit view, which holds the 32-bit one under Wow6432Node.
    frame_wine_system x64 reg.exe export 'HKLM\Software\Classes' "$(winepath -w "$work/$1.reg")" /y >/dev/null
    iconv -f UTF-16LE -t UTF-8 "$work/$1.reg" | tr -d '\r' > "$work/$1.txt"
}
snapshot before
fail=0
for arch in $FRAME_ARCHS; do
    for dll in "$root/dist/$arch"/*.dll; do
        name=$(basename "$dll" .dll)
        if frame_wine_system "$arch" regsvr32.exe /s "$(winepath -w "$dll")"; then echo "ok   register $arch $name"; else echo "FAIL register $arch $name"; fail=1; fi
    done
done
snapshot registered
for lib in Sondrel Keldrun Lanthor; do
    [ -f "$root/dist/x64/$lib.dll" ] || continue
    if grep -q "^\[HKEY_LOCAL_MACHINE\\\\Software\\\\Classes\\\\$lib\." "$work/registered.txt"; then echo "ok   $lib ProgIDs written"; else echo "FAIL $lib ProgIDs missing"; fail=1; fi
done
for arch in $FRAME_ARCHS; do
    for dll in "$root/dist/$arch"/*.dll; do frame_wine_system "$arch" regsvr32.exe /u /s "$(winepath -w "$dll")" || { echo "FAIL unregister $dll"; fail=1; }; done
done
snapshot after
if diff -u "$work/before.txt" "$work/after.txt" > "$work/left.diff"; then
    echo "ok   unregistering removed every key registering wrote"
else
    echo "FAIL keys left behind or removed:"; head -40 "$work/left.diff"; fail=1
fi
[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
