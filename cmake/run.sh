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
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    remove_demo_folder
    if [ -n "$XVFB_PID" ]; then
        wait_wineserver
        stop_xvfb
    fi
}

# A folder a user might keep, inside the prefix: some of Wine's own 32-bit programs (real names
# and sizes, and they start when double-clicked) and a file that is not a program. The prefix
# may be the user's own (VENEERKIT_WINEPREFIX), so the folder is one this run makes: C:\Tools
# when the prefix has none, else one named for Veneerkit. Wine finds names whatever their case,
# so `tools` counts as C:\Tools. Only a folder made here is filled and removed.
DEMO_NAMES=(Tools "Veneerkit demo")
DEMO_PROGRAMS=(clock.exe notepad.exe regedit.exe taskmgr.exe winemine.exe winhlp32.exe write.exe)
DEMO_DIR=""
DEMO_NAME=""

make_demo_folder() {
    local name drive_c="$WINEPREFIX/drive_c"
    for name in "${DEMO_NAMES[@]}"; do
        [ -n "$(find "$drive_c" -mindepth 1 -maxdepth 1 -iname "$name" -print -quit)" ] && continue
        # mkdir without -p fails on a name that appeared since the look: what it makes is ours.
        mkdir "$drive_c/$name" 2>/dev/null || continue
        DEMO_DIR="$drive_c/$name"
        DEMO_NAME=$name
        break
    done
    if [ -z "$DEMO_DIR" ]; then
        say "C:\\${DEMO_NAMES[0]} and C:\\${DEMO_NAMES[1]} are there already; no demo folder"
        return 0
    fi
    for name in "${DEMO_PROGRAMS[@]}"; do
        cp "$WINEPREFIX/drive_c/windows/syswow64/$name" "$DEMO_DIR/" 2>/dev/null ||
            head -c $((RANDOM * 8 + 4096)) /dev/zero >"$DEMO_DIR/$name"
    done
    printf 'Tools for the workshop PCs.\r\n' >"$DEMO_DIR/readme.txt"
}

remove_demo_folder() {
    if [ -n "$DEMO_DIR" ]; then
        rm -rf "$DEMO_DIR"
        DEMO_DIR=""
    fi
}

# For the screenshot: the demo folder opened in the tree by typing, and two of its programs
# switched on with the space bar, as a user would. Tab order: path field, list, All ON, All OFF,
# tree; the tree selects the item whose name starts with what is typed, and the first word
# tells the demo folders apart from what a new prefix holds. Each step waits for its effect
# where the disk shows one, so a slow start does not leave the picture half done.
show_demo_folder() {
    local window=$1
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --delay 150 shift+Tab c Right 2>/dev/null || true
    sleep 1
    xdotool type --delay 60 "${DEMO_NAME%% *}" 2>/dev/null || true
    sleep 1
    xdotool key --delay 200 Tab Tab Down space Down Down space Up 2>/dev/null || true
    local tries=0
    until [ "$(demo_manifests | wc -l)" -ge 2 ] || [ $tries -ge 20 ]; do
        sleep 0.5
        tries=$((tries + 1))
    done
    # Lets the list repaint its marks before the picture is taken.
    sleep 1
    [ "$(demo_manifests | wc -l)" -eq 2 ] ||
        say "warning: 2 programs should be on in C:\\$DEMO_NAME; found $(demo_manifests | xargs)"
}

demo_manifests() {
    find "$DEMO_DIR" -maxdepth 1 -name '*.manifest' -printf '%f\n' 2>/dev/null
}

install_missing
find_wine64
find_wine32
# Under the emulator (cmake/i386.sh) the 32-bit exe takes minutes to show its window.
[ "$WIN32_EMULATED" = true ] && WINDOW_TIMEOUT=${VENEERKIT_WINDOW_TIMEOUT:-900}
configure
# Only the exe users get is needed; the tests and the 64-bit build are left to the test command.
cmake --build "$BUILD_DIR" --target win32-configure >/dev/null ||
    die "configure of build/win32 failed"
say "building build/win32/Veneerkit.exe"
cmake --build "$BUILD_DIR/win32" --target Veneerkit || die "build failed"

trap cleanup EXIT
headless=false
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    headless=true
    start_xvfb
fi
prime_prefix
manage_product_window
make_demo_folder

say "starting build/win32/Veneerkit.exe on $DISPLAY"
"$WINE32" "$BUILD_DIR/win32/Veneerkit.exe" </dev/null >"$BUILD_DIR/run.log" 2>&1 &
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
$headless && [ -n "$DEMO_DIR" ] && show_demo_folder "$window"
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
