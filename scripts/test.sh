#!/usr/bin/env bash
# Every test: set-up, build, then the native suite; the same cores under the sanitizers with a
# short run of each fuzz target; both Windows suites with fresh registration; and registration in
# a fresh prefix. With --no-build, the tests of the build as it stands.
#
# The two Windows suites run side by side, each in a prefix and on a display of its own (a test
# changes system settings of its prefix), and the sanitizer build and run beside them, so that the
# suites' waits on Wine overlap the other work.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != "--no-build" ]; then
    "$root/scripts/setup.sh"
    "$root/scripts/build.sh" native x86 x64
fi
status=0
echo "== tests: native"
ctest --test-dir "$root/build/native" --output-on-failure || status=1

sanitize_suite() {
    (
        if [ "${1:-}" != "--no-build" ]; then "$root/scripts/build.sh" sanitize; fi
        ctest --test-dir "$root/build/sanitize" --output-on-failure
    ) > "$root/build/test-sanitize.log" 2>&1
}
windows_suite() {
    local config=$1
    (
        export FRAME_WINEPREFIX="$root/build/wineprefix-$config"
        export FRAME_DISPLAY_NUMBER=$2
        source "$root/scripts/wine-env.sh"
        if ! frame_runs_arch "$config"; then
            echo "this machine runs no $config programs (its kernel has no 32-bit support): of the $config" \
                 "suite only the checks of the built DLLs run"
            ctest --test-dir "$root/build/$config" --output-on-failure -R "^$config\.dll_shape$"
            exit
        fi
        trap frame_wine_down EXIT
        "$root/scripts/register.sh"
        ctest --test-dir "$root/build/$config" --output-on-failure --timeout 600
    ) > "$root/build/test-$config.log" 2>&1
}
# Displays: FRAME_DISPLAY_NUMBER (91 unless set) for the fresh-prefix run, the next two for the
# suites, so that two checkouts can run their suites at once with numbers 10 apart.
display=${FRAME_DISPLAY_NUMBER:-91}
sanitize_suite "${1:-}" & sanitize=$!
windows_suite x86 $((display + 2)) & x86=$!
windows_suite x64 $((display + 3)) & x64=$!
wait $sanitize || status=1
wait $x86 || status=1
wait $x64 || status=1
for config in sanitize x86 x64; do
    echo "== tests: $config"
    cat "$root/build/test-$config.log"
done

echo "== registration in a fresh prefix"
"$root/scripts/registration-test.sh" || status=1
exit $status
