# Sourced: what the examples print, and a check of one run's output.
# Sets fail=1 when a line is missing.
example_common=('^Sondrel: memory in use [0-9]+%, [0-9]+ processor\(s\), page size [0-9]+$'
                '^Keldrun: "Meet me at noon" scrambled to [0-9]+ characters and back to "Meet me at noon"$')
example_scripts=("${example_common[@]}" '^Keldrun: notepad\.exe is [0-9.]+ [KMG]?B(ytes)?, '
                 '^Lanthor: a balloon tooltip titled "Lanthor", to attach with tip\.Create\(form\.hWnd\)$')
example_cpp=("${example_common[@]}" '^Keldrun: [1-9][0-9]* programs in .+, the first .+\.exe$'
             '^Lanthor: a balloon tooltip titled "Lanthor"$')

check_output() {  # name, output, then the lines it must print (extended regular expressions)
    local name=$1 output=$2 pattern
    shift 2
    for pattern in "$@"; do
        if grep -qE "$pattern" <<<"$output"; then echo "ok   $name: $(grep -E "$pattern" <<<"$output" | head -1)"
        else echo "FAIL $name printed no line like: $pattern"; fail=1; fi
    done
}

# Runs the VBScript and JScript examples of a folder with one architecture's script host.
check_script_examples() {  # arch examples-folder-as-unix-path
    local arch=$1 folder=$2 script output
    for script in vbscript/tour.vbs jscript/tour.js; do
        output=$(frame_wine_system "$arch" cscript.exe //nologo "$(winepath -w "$folder/$script")" 2>&1 | tr -d '\r') || true
        check_output "$script ($arch)" "$output" "${example_scripts[@]}"
    done
}
