# Steps shared by cmake/test.sh and cmake/run.sh: packages, build, Wine prefix, virtual display.
# Sourced by them; every function reports progress on stderr and stops the script on failure.

VENEERKIT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR="$VENEERKIT_ROOT/build"

# The same prefix the ctest emulator uses (see cmake/MinGWCross.cmake); never the user's ~/.wine.
export WINEPREFIX="${VENEERKIT_WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEDEBUG=-all
# Without these overrides a new prefix stops to offer the Mono and Gecko installers.
export WINEDLLOVERRIDES="mscoree,mshtml="

VENEERKIT_PACKAGES=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest
    wine wine64 xvfb xdotool x11-utils imagemagick)

XVFB_PID=""
HOLDER_PID=""

say() { printf '==> [%ss] %s\n' "$SECONDS" "$*" >&2; }
die() {
    printf 'error: %s\n' "$*" >&2
    exit 1
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "not root and no sudo: install $* by hand"
    fi
}

# Installs only what is missing, so a set-up machine never waits for apt.
install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg -s "$package" 2>/dev/null | grep -q '^Status: install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}

# Debian keeps wine64 out of PATH.
find_wine64() {
    local candidate
    for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            WINE64="$candidate"
            return 0
        fi
    done
    die "wine64 not found"
}

configure() {
    say "configuring $BUILD_DIR"
    mkdir -p "$BUILD_DIR"
    (cd "$VENEERKIT_ROOT" && cmake --preset default >"$BUILD_DIR/configure.log" 2>&1) || {
        cat "$BUILD_DIR/configure.log" >&2
        die "configure failed"
    }
}

build_all() {
    configure
    say "building build/win32 and build/win64"
    cmake --build "$BUILD_DIR" || die "build failed"
}

# Starts Xvfb on a display nobody uses; the server itself picks it and reports it on fd 3.
start_xvfb() {
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    local tries=0
    until [ -s "$number_file" ]; do
        kill -0 "$XVFB_PID" 2>/dev/null || die "Xvfb did not start"
        tries=$((tries + 1))
        [ $tries -gt 300 ] && die "Xvfb did not report a display within 30 s"
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$number_file")"
    rm -f "$number_file"
    say "Xvfb running on $DISPLAY"
}

stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}

# The first start of a prefix creates it and prints noise that would pollute the test
# listing, so it happens here, once; later runs find system.reg and skip it.
prime_prefix() {
    if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.update-timestamp" ]; then
        unmanage_windows
        return 0
    fi
    say "priming the Wine prefix $WINEPREFIX (first run takes a minute)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >"$BUILD_DIR/wineboot.log" 2>&1 || {
        cat "$BUILD_DIR/wineboot.log" >&2
        die "wineboot -i failed"
    }
    timeout 300 wineserver -w || die "the Wine prefix did not settle after wineboot"
    unmanage_windows
}

# Xvfb runs no window manager. Wine still treats top-level windows as managed by one and, on
# hiding or destroying each, waits two seconds for a reply that never comes. The test exe
# creates a dialog per test, so its windows alone are unmanaged; Veneerkit.exe itself keeps
# the default, which a real desktop's window manager needs. Made once per prefix.
unmanage_windows() {
    grep -q 'AppDefaults\\\\veneerkit_tests.exe\\\\X11 Driver' "$WINEPREFIX/user.reg" 2>/dev/null &&
        return 0
    "$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\veneerkit_tests.exe\X11 Driver' \
        /v Managed /d N /f >/dev/null 2>&1 || die "could not set Wine's window mode for the tests"
    timeout 60 wineserver -w || true
}

# Keeps one idle Wine process alive while tests run. Each test then finds the Wine services
# already started; otherwise every test exe starts them itself, they inherit its output pipe,
# and ctest waits for them to wind down (about 3 s per test). A plain cmd.exe reading a FIFO
# is used instead of a persistent wineserver so that ending it stops nobody else's processes.
start_wine_holder() {
    local fifo="$BUILD_DIR/wine-holder.fifo"
    rm -f "$fifo"
    mkfifo "$fifo"
    "$WINE64" cmd.exe <"$fifo" >/dev/null 2>&1 &
    HOLDER_PID=$!
    exec 7>"$fifo"
    rm -f "$fifo"
    # Any command's completion proves the services are up before the first test starts.
    "$WINE64" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
}

stop_wine_holder() {
    if [ -n "$HOLDER_PID" ]; then
        echo exit >&7 2>/dev/null || true
        exec 7>&-
        local tries=0
        while kill -0 "$HOLDER_PID" 2>/dev/null && [ $tries -lt 100 ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
        kill "$HOLDER_PID" 2>/dev/null || true
        wait "$HOLDER_PID" 2>/dev/null || true
        HOLDER_PID=""
    fi
    wait_wineserver
}

# Waits for this prefix's server to shut down on its own rather than killing it: other users
# of the prefix (another checkout's tests, say) keep it alive, and then it is left to them.
wait_wineserver() {
    timeout 30 wineserver -w 2>/dev/null || say "wineserver still busy in $WINEPREFIX; left running"
}
