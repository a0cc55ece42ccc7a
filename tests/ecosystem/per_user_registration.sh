#!/usr/bin/env bash
# Per-user registration of every library of both builds, the way a user
# without administrator rights runs it: regsvr32 /n /i:user writes the type
# library and every class under HKEY_CURRENT_USER\Software\Classes and
# nothing machine-wide; regsvr32 /u /n /i:user removes exactly what it wrote,
# also when the other architecture's registration stays.
#   per_user_registration.sh <dist folder>
set -euo pipefail
dist=$1
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
frame_wine_up
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
ok() { echo "ok   $*"; }
bad() { echo "FAIL $*"; fail=1; }

snapshot() {  # key name
    frame_wine_system x64 reg.exe export "$1" "$(winepath -w "$work/$2.reg")" /y >/dev/null
    iconv -f UTF-16LE -t UTF-8 "$work/$2.reg" | tr -d '\r' > "$work/$2.txt"
}
# The per-user classes as one architecture's programs see them, exported once per check.
view() {  # arch
    frame_wine_system "$1" reg.exe export 'HKCU\Software\Classes' "$(winepath -w "$work/view.reg")" /y >/dev/null
    iconv -f UTF-16LE -t UTF-8 "$work/view.reg" | tr -d '\r' > "$work/view-$1.txt"
}
value() {  # arch key-under-classes value-name (@ for the default): the value's text, unescaped
    # Through the environment: awk -v would read the backslashes as escapes.
    KEY="[HKEY_CURRENT_USER\\Software\\Classes\\$2]" NAME="$3" awk '
        BEGIN { key = ENVIRON["KEY"]; name = ENVIRON["NAME"] }
        $0 == key { inside = 1; next }
        /^\[/ { inside = 0 }
        inside && index($0, (name == "@" ? "@" : "\"" name "\"") "=\"") == 1 {
            sub(/^[^=]*="/, ""); sub(/"$/, ""); gsub(/\\\\/, "\\"); print; exit
        }' "$work/view-$1.txt"
}
install() {  # arch, then regsvr32's switches
    local arch=$1 dll; shift
    for dll in "$dist/$arch"/*.dll; do
        frame_wine_system "$arch" regsvr32.exe /s "$@" "$(winepath -w "$dll")" || bad "regsvr32 $* $arch $(basename "$dll")"
    done
}
# What one architecture's build registered for the user: its classes (class
# key naming its DLL, apartment model, programmatic identifier) and its type
# library entry, each counted.
count_classes() {  # arch manifest
    local arch=$1 manifest=$2 dll clsid progid found=0
    dll=$(winepath -w "${manifest%.manifest}.dll")
    while read -r clsid progid; do
        [ "$(value "$arch" "CLSID\\$clsid\\InprocServer32" @)" = "$dll" ] &&
            [ "$(value "$arch" "CLSID\\$clsid\\InprocServer32" ThreadingModel)" = Apartment ] &&
            [ "$(value "$arch" "$progid\\CLSID" @)" = "$clsid" ] && found=$((found + 1))
    done < <(sed -n 's/.*<comClass clsid="\([^"]*\)" progid="\([^"]*\)".*/\1 \2/p' "$manifest")
    echo "$found"
}
count_type_library() {  # arch manifest: 1 when the type library's entry names the DLL
    local arch=$1 manifest=$2 platform=win32 tlbid version
    [ "$arch" = x64 ] && platform=win64
    tlbid=$(sed -n 's/.*<typelib tlbid="\([^"]*\)" version="\([^"]*\)".*/\1/p' "$manifest")
    version=$(sed -n 's/.*<typelib tlbid="\([^"]*\)" version="\([^"]*\)".*/\2/p' "$manifest")
    [ "$(value "$arch" "TypeLib\\$tlbid\\$version\\409\\$platform" @)" = "$(winepath -w "${manifest%.manifest}.dll")" ] &&
        echo 1 || echo 0
}
expect() {  # arch classes|type-library present|absent
    local arch=$1 what=$2 want=$3 manifest found total name
    view "$arch"
    for manifest in "$dist/$arch"/*.manifest; do
        name=$(basename "$manifest" .manifest)
        if [ "$what" = classes ]; then
            found=$(count_classes "$arch" "$manifest"); total=$(grep -c '<comClass ' "$manifest")
        else
            found=$(count_type_library "$arch" "$manifest"); total=1
        fi
        if { [ "$want" = present ] && [ "$found" -eq "$total" ]; } || { [ "$want" = absent ] && [ "$found" -eq 0 ]; }
        then ok "$arch $name: $what $want for the user ($found of $total)"
        else bad "$arch $name: $found of $total $what found, expected $want"; fi
    done
}
machine_unchanged() {  # snapshot name, what
    snapshot 'HKLM\Software\Classes' "$1"
    if cmp -s "$work/machine-before.txt" "$work/$1.txt"; then ok "$2"
    else bad "$2:"; diff "$work/machine-before.txt" "$work/$1.txt" | head -20; fi
}

# Windows always has the per-user classes key; a new prefix of this platform may not.
frame_wine_system x64 reg.exe add 'HKCU\Software\Classes' /f >/dev/null
snapshot 'HKCU\Software\Classes' user-before
snapshot 'HKLM\Software\Classes' machine-before
if frame_runs_arch x86; then
    install x86 /n /i:user
    expect x86 classes present
    expect x86 type-library present
    machine_unchanged machine-x86 "x86: nothing written machine-wide"
fi
# Windows keeps a 32-bit and a 64-bit view of the per-user class keys; this
# platform one, where the build registered last names its DLL.
install x64 /n /i:user
expect x64 classes present
expect x64 type-library present
if frame_runs_arch x86; then expect x86 type-library present; fi
machine_unchanged machine-x64 "x64: nothing written machine-wide"

if frame_runs_arch x86; then
    install x86 /u /n /i:user
    expect x86 type-library absent
    expect x64 classes present
    expect x64 type-library present
fi
install x64 /u /n /i:user
expect x64 classes absent
expect x64 type-library absent
snapshot 'HKCU\Software\Classes' user-after
if diff -u "$work/user-before.txt" "$work/user-after.txt" > "$work/left.diff"; then ok "unregistering removed every per-user key registering wrote"
else bad "per-user keys left behind or removed:"; head -40 "$work/left.diff"; fi
machine_unchanged machine-after "machine-wide registration unchanged"
exit $fail
