#!/usr/bin/env bash
# Runs the examples against one architecture's registered build, as their
# readers would, and checks what they print:
#   run_examples.sh <x86|x64> <early_bound.exe> <examples folder>
set -euo pipefail
arch=$1; client=$2; examples=$3
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../../scripts/wine-env.sh"
source "$here/example_output.sh"
frame_wine_up
fail=0
status=0
output=$(wine "$client" 2>&1 | tr -d '\r') || status=$?
[ "$status" -eq 0 ] || { echo "FAIL early_bound.exe exited with $status"; fail=1; }
check_output "C++ ($arch)" "$output" "${example_cpp[@]}"
check_script_examples "$arch" "$examples"
exit $fail
