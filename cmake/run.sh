#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts Veneerkit under Wine.
# With no usable $DISPLAY it runs on a virtual one, saves build/screenshot.png and closes the
# program again; the exit status tells whether the window appeared.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

WINDOW_TIMEOUT=${VENEERKIT_WINDOW_TIMEOUT:-120}
SCREENSHOT="$BUILD_DIR/screenshot.png"
APP_PID=""

cleanup() {
    rm -rf "$DEMO_DIR"
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    if [ -n "$XVFB_PID" ]; then
        wait_wineserver
        stop_xvfb
    fi
}

DEMO_DIR="$BUILD_DIR/demo"

# For the screenshot: a folder of programs, opened in the tree by typing its path, and two of
# its programs switched on with the space bar, as a user would. Tab order: path field, list,
# All ON, All OFF, tree; the tree selects the item whose name starts with what is typed.
show_demo_folder() {
    local window=$1 name component
    rm -rf "$DEMO_DIR"
    mkdir -p "$DEMO_DIR/Tools"
    for name in Calculator.exe Paint.exe Setup.2.exe TextEdit.exe Viewer.EXE; do
        head -c $((RANDOM * 4 + 4096)) /dev/zero >"$DEMO_DIR/$name"
    done
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --delay 150 shift+Tab z 2>/dev/null || true
    local IFS=/
    for component in ${DEMO_DIR#/}; do
        xdotool key Right 2>/dev/null || true
        sleep 1
        xdotool type --delay 60 "$component" 2>/dev/null || true
    done
    sleep 1
    xdotool key --delay 200 Tab Tab Down space Down Down space Up 2>/dev/null || true
    sleep 1
}

install_missing "${VENEERKIT_PACKAGES[@]}"
find_wine64
configure
# Only the exe is needed, so the tests and the 32-bit build are left for the test command.
cmake --build "$BUILD_DIR" --target win64-configure >/dev/null || die "configure of build/win64 failed"
say "building build/win64/Veneerkit.exe"
cmake --build "$BUILD_DIR/win64" --target Veneerkit || die "build failed"

trap cleanup EXIT
headless=false
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    headless=true
    start_xvfb
fi
prime_prefix

say "starting Veneerkit on $DISPLAY"
"$WINE64" "$BUILD_DIR/win64/Veneerkit.exe" </dev/null >"$BUILD_DIR/run.log" 2>&1 &
APP_PID=$!

window=""
deadline=$((SECONDS + WINDOW_TIMEOUT))
while [ -z "$window" ]; do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
        cat "$BUILD_DIR/run.log" >&2
        die "Veneerkit exited before its window appeared"
    fi
    [ $SECONDS -ge $deadline ] && die "no window titled Veneerkit within $WINDOW_TIMEOUT s"
    window=$(xdotool search --onlyvisible --name '^Veneerkit$' 2>/dev/null | head -n 1 || true)
    [ -z "$window" ] && sleep 0.5
done
say "window $window appeared"

# The window is mapped before the controls have painted.
sleep 2
$headless && show_demo_folder "$window"
import -window "$window" "$SCREENSHOT" || die "could not save $SCREENSHOT"
say "saved $SCREENSHOT"

if ! $headless; then
    say "Veneerkit is running; close it to finish"
    wait "$APP_PID" || true
    APP_PID=""
    exit 0
fi

# Escape ends the dialog. Wine ignores synthetic key events sent to a window, so the key goes
# through XTEST to the focused window; there is no window manager to give it focus.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape 2>/dev/null || true
for _ in $(seq 40); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.25
done
if kill -0 "$APP_PID" 2>/dev/null; then
    say "Veneerkit did not close on Escape; stopping it"
else
    wait "$APP_PID" || true
    APP_PID=""
fi
exit 0
