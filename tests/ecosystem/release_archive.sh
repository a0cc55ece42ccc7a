#!/usr/bin/env bash
# The release archive as a Windows user meets it, in a fresh prefix: unpacked
# into a folder of drive C:, register.cmd in both architectures' folders, the
# examples run from the unpacked folder with each architecture's script host,
# unregister.cmd; then the same per user with /user, which leaves the
# machine-wide classes alone; an unknown option changes nothing.
#   release_archive.sh <archive.zip>
set -euo pipefail
archive=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
export FRAME_WINEPREFIX="$root/build/wineprefix-release"
source "$root/scripts/wine-env.sh"
source "$here/example_output.sh"
work=$(mktemp -d)
cleanup() { frame_wine_down; rm -rf "$WINEPREFIX" "$work"; }
trap cleanup EXIT
frame_fresh_prefix
frame_wine_up
fail=0
ok() { echo "ok   $*"; }
bad() { echo "FAIL $*"; fail=1; }

folder="$WINEPREFIX/drive_c/Libraries"
mkdir -p "$folder"
(cd "$folder" && cmake -E tar xf "$archive")
for arch in x86 x64; do
    for pattern in register.cmd unregister.cmd '*.dll' '*.tlb' '*.manifest' '*_h.h' '*_i.c'; do
        compgen -G "$folder/$arch/$pattern" >/dev/null && ok "$arch/$pattern unpacked" || bad "no $arch/$pattern in the archive"
    done
    [ "$(ls "$folder/$arch"/*.dll | wc -l)" -eq "$(ls "$folder/$arch"/*.manifest | wc -l)" ] ||
        bad "$arch: not one manifest per DLL"
done
[ -f "$folder/README.txt" ] && grep -q $'\r$' "$folder/README.txt" && ok "README.txt with Windows line ends" ||
    bad "README.txt missing or with Unix line ends"
[ -f "$folder/examples/vbscript/tour.vbs" ] && [ -f "$folder/examples/cpp/early_bound.cpp" ] && ok "examples unpacked" ||
    bad "examples missing"

snapshot() {  # key name
    frame_wine_system x64 reg.exe export "$1" "$(winepath -w "$work/$2.reg")" /y >/dev/null
    iconv -f UTF-16LE -t UTF-8 "$work/$2.reg" | tr -d '\r' > "$work/$2.txt"
}
run_cmd() {  # arch script [option]: as from Explorer or a command prompt in the folder
    local status=0
    wine cmd.exe /c "C:\\Libraries\\$1\\$2" ${3:+"$3"} 2>&1 | tr -d '\r' > "$work/cmd.txt" || status=$?
    cat "$work/cmd.txt"
    return $status
}
libraries() { ls "$folder/$1"/*.dll | wc -l; }
same() {  # snapshot snapshot what
    if cmp -s "$work/$1.txt" "$work/$2.txt"; then ok "$3"; else bad "$3:"; diff "$work/$1.txt" "$work/$2.txt" | head -20; fi
}

# The script hosts register their own type library when first run: that happens before the snapshots.
echo 'WScript.Echo ""' > "$work/first.vbs"
for arch in $FRAME_ARCHS; do frame_wine_system "$arch" cscript.exe //nologo "$(winepath -w "$work/first.vbs")" >/dev/null; done
snapshot 'HKLM\Software\Classes' machine-before
# Windows always has the per-user classes key; a new prefix of this platform may not.
frame_wine_system x64 reg.exe add 'HKCU\Software\Classes' /f >/dev/null
snapshot 'HKCU\Software\Classes' user-before
for arch in $FRAME_ARCHS; do
    if run_cmd "$arch" register.cmd && [ "$(grep -c '^Registered ' "$work/cmd.txt")" -eq "$(libraries "$arch")" ]; then
        ok "$arch register.cmd registered $(libraries "$arch") libraries"
    else bad "$arch register.cmd"; fi
done
for arch in $FRAME_ARCHS; do check_script_examples "$arch" "$folder/examples"; done
for arch in $FRAME_ARCHS; do
    run_cmd "$arch" unregister.cmd && [ "$(grep -c '^Unregistered ' "$work/cmd.txt")" -eq "$(libraries "$arch")" ] &&
        ok "$arch unregister.cmd" || bad "$arch unregister.cmd"
done
snapshot 'HKLM\Software\Classes' machine-after
same machine-before machine-after "unregister.cmd removed every machine-wide key register.cmd wrote"

for arch in $FRAME_ARCHS; do run_cmd "$arch" register.cmd /user >/dev/null || bad "$arch register.cmd /user"; done
snapshot 'HKCU\Software\Classes' user-registered
snapshot 'HKLM\Software\Classes' machine-user
same machine-before machine-user "register.cmd /user wrote nothing machine-wide"
while read -r progid; do
    grep -qF "[HKEY_CURRENT_USER\\Software\\Classes\\$progid\\CLSID]" "$work/user-registered.txt" &&
        ok "$progid registered for the user" || bad "$progid not registered for the user"
done < <(sed -n 's/.*progid="\([^"]*\)".*/\1/p' "$folder"/x86/*.manifest "$folder"/x64/*.manifest | sort -u)
for arch in $FRAME_ARCHS; do run_cmd "$arch" unregister.cmd /user >/dev/null || bad "$arch unregister.cmd /user"; done
snapshot 'HKCU\Software\Classes' user-after
same user-before user-after "unregister.cmd /user removed every per-user key register.cmd /user wrote"

status=0
run_cmd x64 register.cmd /everyone >/dev/null || status=$?
snapshot 'HKCU\Software\Classes' user-unknown
[ "$status" -eq 2 ] && grep -q "Usage" "$work/cmd.txt" && cmp -s "$work/user-before.txt" "$work/user-unknown.txt" &&
    ok "an unknown option prints the usage and registers nothing" || bad "register.cmd /everyone (exit $status)"
exit $fail
