#!/usr/bin/env bash
# Builds the native cores, the cores again under clang's sanitizers with their fuzz targets, and
# both Windows architectures (deliverables in dist/x86 and dist/x64): scripts/build.sh [configuration..]
# with configurations native, sanitize, x86, x64 (all of them by default; x86 and x64 take the
# native build's host tools, so native comes first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
configs=("$@")
# Compiles are cached across checkouts of the project when ccache is there.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
[ ${#configs[@]} -gt 0 ] || configs=(native sanitize x86 x64)
for config in "${configs[@]}"; do
    case $config in
    native)
        cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null ;;
    sanitize)
        cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAME_SANITIZE=ON \
              -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 "${launcher[@]}" >/dev/null ;;
    x86|x64)
        toolchain=i686; [ "$config" = x64 ] && toolchain=x86_64
        cmake -S "$root" -B "$root/build/$config" -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$toolchain.cmake" \
              -DFRAME_HOST_TOOLS_DIR="$root/build/native/host" "${launcher[@]}" >/dev/null ;;
    *)
        echo "build.sh: unknown configuration $config" >&2; exit 2 ;;
    esac
    cmake --build "$root/build/$config" -j2
done
