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
query() {  # arch key: the key's values as that architecture's programs see them
    frame_wine_system "$1" reg.exe query "$2" 2>/dev/null | tr -d '\r' || true
}
install() {  # arch, then regsvr32's switches
    local arch=$1 dll; shift
    for dll in "$dist/$arch"/*.dll; do
        frame_wine_system "$arch" regsvr32.exe /s "$@" "$(winepath -w "$dll")" || bad "regsvr32 $* $arch $(basename "$dll")"
    done
}
# Every class, programmatic identifier and type library one architecture's build registered for the user.
expect_user_registration() {  # arch present|absent
    local arch=$1 want=$2 manifest dll clsid progid tlbid version platform=win32
    [ "$arch" = x64 ] && platform=win64
    for manifest in "$dist/$arch"/*.manifest; do
        dll=$(winepath -w "${manifest%.manifest}.dll")
        tlbid=$(sed -n 's/.*<typelib tlbid="\([^"]*\)" version="\([^"]*\)".*/\1/p' "$manifest")
        version=$(sed -n 's/.*<typelib tlbid="\([^"]*\)" version="\([^"]*\)".*/\2/p' "$manifest")
        local found=0 total=0
        while read -r clsid progid; do
            total=$((total + 1))
            query "$arch" "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" | grep -qiF "$dll" &&
                query "$arch" "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" | grep -q "ThreadingModel.*Apartment" &&
                query "$arch" "HKCU\\Software\\Classes\\$progid\\CLSID" | grep -qiF "$clsid" &&
                found=$((found + 1))
        done < <(sed -n 's/.*<comClass clsid="\([^"]*\)" progid="\([^"]*\)".*/\1 \2/p' "$manifest")
        query "$arch" "HKCU\\Software\\Classes\\TypeLib\\$tlbid\\$version\\409\\$platform" | grep -qiF "$dll" &&
            found=$((found + 1))
        total=$((total + 1))
        local name; name=$(basename "$manifest" .manifest)
        if [ "$want" = present ] && [ "$found" -eq "$total" ]; then ok "$arch $name: $((total - 1)) classes and the type library registered for the user"
        elif [ "$want" = absent ] && [ "$found" -eq 0 ]; then ok "$arch $name: no class left for the user"
        else bad "$arch $name: $found of $total per-user entries found, expected $want"; fi
    done
}

snapshot 'HKCU\Software\Classes' user-before
snapshot 'HKLM\Software\Classes' machine-before
install x86 /n /i:user
install x64 /n /i:user
expect_user_registration x86 present
expect_user_registration x64 present
snapshot 'HKLM\Software\Classes' machine-registered
if cmp -s "$work/machine-before.txt" "$work/machine-registered.txt"; then ok "nothing written machine-wide"
else bad "machine-wide keys changed:"; diff "$work/machine-before.txt" "$work/machine-registered.txt" | head -20; fi

install x86 /u /n /i:user
expect_user_registration x86 absent
expect_user_registration x64 present
install x64 /u /n /i:user
expect_user_registration x64 absent
snapshot 'HKCU\Software\Classes' user-after
snapshot 'HKLM\Software\Classes' machine-after
if diff -u "$work/user-before.txt" "$work/user-after.txt" > "$work/left.diff"; then ok "unregistering removed every per-user key registering wrote"
else bad "per-user keys left behind or removed:"; head -40 "$work/left.diff"; fi
cmp -s "$work/machine-before.txt" "$work/machine-after.txt" && ok "machine-wide registration unchanged" ||
    bad "machine-wide keys changed by unregistering"
exit $fail
