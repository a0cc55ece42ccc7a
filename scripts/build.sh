#!/usr/bin/env bash
# Builds the native cores, the cores again under clang's sanitizers with their fuzz targets,
# and both Windows architectures; deliverables land in dist/x86 and dist/x64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" -j2
cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAME_SANITIZE=ON \
      -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$root/build/sanitize" -j2
for arch in x86 x64; do
    toolchain=i686; [ "$arch" = x64 ] && toolchain=x86_64
    cmake -S "$root" -B "$root/build/$arch" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$toolchain.cmake" \
          -DFRAME_HOST_TOOLS_DIR="$root/build/native/host" >/dev/null
    cmake --build "$root/build/$arch" -j2
done
