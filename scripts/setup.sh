#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (idempotent).
set -euo pipefail
packages=(cmake make mingw-w64 wine wine32 wine64 libwine-dev xvfb x11-utils googletest imagemagick procps
          clang-14 libclang-rt-14-dev ccache)
missing=()
dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; missing=(update); }
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${packages[@]}" >/dev/null
fi
