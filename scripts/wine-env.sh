# Sourced: the project's own Wine prefix under build/, with an Xvfb display
# and a persistent wineserver started on that display. Idempotent and quick
# once set up. Never touches ~/.wine.
FRAME_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${FRAME_WINEPREFIX:-$FRAME_ROOT/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
FRAME_DISPLAY_NUMBER="${FRAME_DISPLAY_NUMBER:-91}"
export DISPLAY=":$FRAME_DISPLAY_NUMBER"

# The architectures whose Windows programs this machine runs. Some kernels are
# built or started without 32-bit support (the 32-bit loader then fails with
# "Exec format error"): there only the 64-bit loader can run, and Debian's
# `wine` and `wineboot` scripts, which prefer the 32-bit loader whenever it is
# installed, are sent to the 64-bit one.
if [ -z "${FRAME_ARCHS:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then FRAME_ARCHS="x86 x64"; else FRAME_ARCHS="x64"; fi
fi
export FRAME_ARCHS
if [ "$FRAME_ARCHS" = x64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    shim="$FRAME_ROOT/build/wine64-only"
    if [ ! -x "$shim/wine-stable" ]; then
        mkdir -p "$shim"
        # Names of this shell's own: the suites source this at the same time.
        loader=$(mktemp "$shim/.wine.XXXXXX") stable=$(mktemp "$shim/.wine-stable.XXXXXX")
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' | tee "$loader" > "$stable"
        chmod +x "$loader" "$stable"
        mv -f "$loader" "$shim/wine"
        mv -f "$stable" "$shim/wine-stable"
        unset loader stable
    fi
    case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
fi
# Whether an architecture's programs run here: frame_runs_arch x86|x64
frame_runs_arch() { [[ " $FRAME_ARCHS " == *" $1 "* ]]; }

frame_display_up() {
    xdpyinfo >/dev/null 2>&1 && return 0
    if [ -f "/tmp/.X$FRAME_DISPLAY_NUMBER-lock" ] && ! kill -0 "$(tr -d ' ' < "/tmp/.X$FRAME_DISPLAY_NUMBER-lock")" 2>/dev/null; then
        rm -f "/tmp/.X$FRAME_DISPLAY_NUMBER-lock" "/tmp/.X11-unix/X$FRAME_DISPLAY_NUMBER"
    fi
    (Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &)
    for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "wine-env: Xvfb did not start on $DISPLAY" >&2
    return 1
}

frame_prefix_up() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/.frame-ready" ]; then
        wineserver -k 2>/dev/null || true
        if ! wineboot -i </dev/null >/dev/null 2>&1; then
            echo "wine-env: wineboot failed in a new prefix; trying once more" >&2
            wineserver -k 2>/dev/null || true
            wineboot -i </dev/null >/dev/null 2>&1
        fi
        wineserver -w || true
        # Without a window manager, hiding a window must not wait for one.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.frame-ready"
    fi
    # The server must know the display before any window exists.
    if ! pgrep -f "wineserver.*" -u "$(id -u)" >/dev/null 2>&1 || [ ! -f "$WINEPREFIX/.frame-server" ] ||
       [ "$(cat "$WINEPREFIX/.frame-server")" != "$DISPLAY" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        # Started detached from the caller's output, or a test runner waiting
        # for its test's output to close would wait for the server too.
        wineserver -p </dev/null >/dev/null 2>&1
        wine cmd.exe /c exit </dev/null >/dev/null 2>&1
        echo "$DISPLAY" > "$WINEPREFIX/.frame-server"
    fi
}

# Runs a program from one architecture's system folder: frame_wine_system x86|x64 program.exe [args]
# Debian's `wine` is the 32-bit loader whenever wine32 is installed, and a 32-bit process that asks
# for C:\windows\system32 is sent to syswow64, so the 64-bit programs need the 64-bit loader.
frame_wine_system() {
    local arch=$1 program=$2
    shift 2
    if [ "$arch" = x86 ]; then
        wine "C:\\windows\\syswow64\\$program" "$@"
    else
        "${FRAME_WINE64:-/usr/lib/wine/wine64}" "C:\\windows\\system32\\$program" "$@"
    fi
}

frame_wine_up() {
    frame_display_up && frame_prefix_up
}

frame_wine_down() {
    wineserver -k 2>/dev/null || true
    rm -f "$WINEPREFIX/.frame-server"
}

# Makes $WINEPREFIX a fresh prefix where nothing of the project is registered:
# a copy of a pristine prefix made once under build/ (a new prefix takes
# wineboot half a minute; a copy, a second). Call before frame_wine_up.
frame_fresh_prefix() {
    local template="$FRAME_ROOT/build/wineprefix-pristine"
    mkdir -p "$FRAME_ROOT/build"
    (
        flock 9
        if [ ! -f "$template/.frame-ready" ]; then
            rm -rf "$template"
            export WINEPREFIX="$template"
            frame_display_up && frame_prefix_up
            wineserver -k 2>/dev/null || true
            wineserver -w 2>/dev/null || true
            rm -f "$template/.frame-server"
        fi
    ) 9>"$FRAME_ROOT/build/.wineprefix-pristine.lock"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    cp -a --reflink=auto "$template" "$WINEPREFIX"
}
