#!/usr/bin/env bash
# Every test: set-up, build, fresh registration, then the native suite, the same cores under
# the sanitizers with a short run of each fuzz target, and both Windows test suites.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
"$root/scripts/register.sh"
status=0
for config in native sanitize x86 x64; do
    echo "== tests: $config"
    ctest --test-dir "$root/build/$config" --output-on-failure --timeout 600 || status=1
done
source "$root/scripts/wine-env.sh"
frame_wine_down
echo "== registration in a fresh prefix"
"$root/scripts/registration-test.sh" || status=1
exit $status
