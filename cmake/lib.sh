# Steps shared by the commands in cmake/: packages, formatting, build, Wine prefix, virtual display.
# Sourced by them; the steps report progress on stderr and stop the script on failure.

VENEERKIT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR="$VENEERKIT_ROOT/build"

# Tools run in a locale of ours, not the shell's: their output is read in English, and Wine
# takes its code page and the spelling of file names on disk from it (see
# cmake/MinGWCross.cmake, which pins the suites the same way). C.UTF-8 comes with libc itself, so
# it is there before any package is; LANGUAGE would still pick the messages' language.
export LC_ALL=C.UTF-8
unset LANGUAGE

# The same prefix the ctest emulator uses (see cmake/MinGWCross.cmake); never the user's ~/.wine.
export WINEPREFIX="${VENEERKIT_WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEDEBUG=-all
# Without these overrides a new prefix stops to offer the Mono and Gecko installers.
export WINEDLLOVERRIDES="mscoree,mshtml="

VENEERKIT_PACKAGES=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest
    wine wine64 xvfb xdotool x11-utils imagemagick clang-format locales)
# The 32-bit Wine loader runs the i686 build, the one users get.
VENEERKIT_PACKAGES_I386=(wine32:i386)

XVFB_PID=""
HOLDER_PID=""

say() { printf '==> [%ss] %s\n' "$SECONDS" "$*" >&2; }
die() {
    printf 'error: %s\n' "$*" >&2
    exit 1
}

. "$VENEERKIT_ROOT/cmake/i386.sh"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "not root and no sudo: install $* by hand"
    fi
}

# Installs only what is missing, so a set-up machine never waits for apt, then generates the
# locales. The i386 packages come first and without their recommendations: libwine:i386 would
# otherwise bring a second set of 32-bit graphics, sound and printing libraries that nothing
# here uses. With arguments, only those (native) packages are looked at.
install_missing() {
    install_missing_packages "$@"
    [ $# -gt 0 ] || generate_missing_locales
}

install_missing_packages() {
    local missing=() missing_i386=() package
    local wanted=("${VENEERKIT_PACKAGES[@]}") wanted_i386=("${VENEERKIT_PACKAGES_I386[@]}")
    if [ $# -gt 0 ]; then
        wanted=("$@")
        wanted_i386=()
    fi
    for package in "${wanted[@]}"; do
        is_installed "$package" || missing+=("$package")
    done
    for package in ${wanted_i386[@]+"${wanted_i386[@]}"}; do
        is_installed "$package" || missing_i386+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && [ ${#missing_i386[@]} -eq 0 ] && return 0
    if [ ${#missing_i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        say "adding the i386 architecture to dpkg"
        as_root dpkg --add-architecture i386
    fi
    say "installing ${missing_i386[*]} ${missing[*]}"
    apt_get update -q
    if [ ${#missing_i386[@]} -gt 0 ]; then
        apt_get install -y -q --no-install-recommends "${missing_i386[@]}"
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        apt_get install -y -q "${missing[@]}"
    fi
}

# The locales the commands start Wine and the tools in. Wine takes each process's ANSI code page
# from its Unix locale: C.UTF-8 (part of libc itself) gives 1252, ja_JP.UTF-8 gives 932. A locale
# that is not generated falls back to C without a word, so both are made here.
VENEERKIT_LOCALES=(C.UTF-8 ja_JP.UTF-8)

# Generates the missing ones the Debian way: enabled in /etc/locale.gen, then locale-gen, which
# builds every enabled locale again (seconds each), so it runs only when one is missing.
generate_missing_locales() {
    local name missing=()
    for name in "${VENEERKIT_LOCALES[@]}"; do
        has_locale "$name" || missing+=("$name")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    command -v locale-gen >/dev/null 2>&1 || die "locale-gen not found: install locales"
    say "generating the locales ${missing[*]}"
    for name in "${missing[@]}"; do
        # Listed as "ja_JP.UTF-8 UTF-8", commented out until wanted.
        local line="$name ${name#*.}"
        if grep -qx "# *$line" /etc/locale.gen 2>/dev/null; then
            as_root sed -i "s/^# *$line\$/$line/" /etc/locale.gen
        elif ! grep -qx "$line" /etc/locale.gen 2>/dev/null; then
            printf '%s\n' "$line" | as_root tee -a /etc/locale.gen >/dev/null
        fi
    done
    mkdir -p "$BUILD_DIR"
    as_root locale-gen >"$BUILD_DIR/locale-gen.log" 2>&1 || {
        cat "$BUILD_DIR/locale-gen.log" >&2
        die "locale-gen failed"
    }
    for name in "${missing[@]}"; do
        has_locale "$name" || die "locale-gen did not make $name (see build/locale-gen.log)"
    done
}

# `locale -a` spells names its own way: "ja_JP.utf8" for ja_JP.UTF-8.
has_locale() {
    local wanted
    wanted=$(printf '%s' "$1" | LC_ALL=C tr '[:upper:]' '[:lower:]' | tr -d -)
    LC_ALL=C locale -a 2>/dev/null | LC_ALL=C tr '[:upper:]' '[:lower:]' | tr -d - |
        grep -qxF "$wanted"
}

is_installed() {
    dpkg -s "$1" 2>/dev/null | grep -q '^Status: install ok installed'
}

apt_get() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@" </dev/null || die "apt-get $1 failed"
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

# Debian's `wine` falls back to wine64 when the 32-bit loader is missing and then fails on every
# 32-bit exe; a clear message here beats a suite of failures later. The same holds for a kernel
# that runs no 32-bit Linux programs (as in some VMs and sandboxes): the loader cannot start.
find_wine32() {
    local loader output
    for loader in /usr/lib/wine/wine /opt/wine-stable/bin/wine ""; do
        [ -n "$loader" ] && [ -x "$loader" ] && break
    done
    [ -n "$loader" ] || die "the 32-bit Wine loader is missing: install wine32:i386"
    enable_i386
    output=$("$loader" --version 2>&1) ||
        die "the 32-bit Wine loader $loader does not run on this machine (${output##*: })"
    WINE32=$(command -v wine) || die "wine not found"
}

# Debian 12's clang-format is version 14; the style file is written for it, and other versions
# break some lines differently.
find_clang_format() {
    CLANG_FORMAT=$(command -v clang-format-14 || command -v clang-format) ||
        die "clang-format not found: install clang-format"
}

# The C++ files of the product, tests and benchmark, relative to the root, one per line.
cxx_sources() {
    (cd "$VENEERKIT_ROOT" &&
        find app bench folders platform programs res support tests -type f \
            \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort)
}

# Fails, naming them, if clang-format would change any C++ files.
check_format() {
    find_clang_format
    say "checking the formatting with $("$CLANG_FORMAT" --version | sed 's/.*version //')"
    local file unformatted=()
    while IFS= read -r file; do
        "$CLANG_FORMAT" --style=file "$VENEERKIT_ROOT/$file" | cmp -s - "$VENEERKIT_ROOT/$file" ||
            unformatted+=("$file")
    done < <(cxx_sources)
    [ ${#unformatted[@]} -eq 0 ] && return 0
    printf 'error: clang-format would change %d of the C++ files:\n' ${#unformatted[@]} >&2
    printf '    %s\n' "${unformatted[@]}" >&2
    printf 'Format them with: bash cmake/format.sh\n' >&2
    return 1
}

configure() {
    local timeout
    timeout=${VENEERKIT_TEST_TIMEOUT:-120}
    say "configuring $BUILD_DIR (${timeout} s for each test)"
    mkdir -p "$BUILD_DIR"
    (cd "$VENEERKIT_ROOT" && cmake --preset default "-DVENEERKIT_TEST_TIMEOUT=$timeout" \
        >"$BUILD_DIR/configure.log" 2>&1) || {
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
# listing, so it happens here, once. A prefix that already exists may predate the 32-bit
# loader or these settings, so it is checked and mended on every run.
prime_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
        say "priming the Wine prefix $WINEPREFIX (first run takes a minute)"
        mkdir -p "$(dirname "$WINEPREFIX")"
        run_wineboot -i
    elif grep -q '^#arch=win32' "$WINEPREFIX/system.reg"; then
        die "$WINEPREFIX is a 32-bit-only prefix, which cannot run the 64-bit build: remove it"
    elif [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        # Made before wine32 was installed: every 32-bit program would fail with "could not
        # load kernel32.dll" (c0000135). Removing the stamp makes wineboot copy the DLLs in.
        say "adding the 32-bit system DLLs to $WINEPREFIX"
        rm -f "$WINEPREFIX/.update-timestamp"
        run_wineboot -u
    fi
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] ||
        die "$WINEPREFIX has no 32-bit system DLLs after wineboot; is wine32:i386 installed?"
    configure_prefix
}

# Through the 64-bit loader, which makes a prefix for both architectures. Its 32-bit half is set
# up by 32-bit programs, which take minutes where they run under an emulator (cmake/i386.sh).
run_wineboot() {
    local settle=300
    [ "${WIN32_EMULATED:-false}" = true ] && settle=1500
    "$WINE64" wineboot "$1" >"$BUILD_DIR/wineboot.log" 2>&1 || {
        cat "$BUILD_DIR/wineboot.log" >&2
        die "wineboot $1 failed"
    }
    timeout "$settle" wineserver -w || die "the Wine prefix did not settle after wineboot $1"
}

# Settings the tests need, added to whatever prefix is there:
# - A crash must end the test at once with its backtrace in the log; Wine's crash dialog would
#   wait for a click until the test's timeout.
# - Xvfb runs no window manager. Wine still treats top-level windows as managed by one and, on
#   hiding or destroying each, waits two seconds for a reply that never comes. The test exe
#   (both builds share its name) creates a dialog per test, and the end-to-end tests start
#   Veneerkit.exe, so the windows of both are unmanaged (6 s less per end-to-end test). The run
#   command gives Veneerkit.exe back to the window manager: a real desktop needs one, and on
#   Xvfb Wine would otherwise draw a caption of its own into the screenshot.
configure_prefix() {
    local changed=false exe
    if ! user_reg_has 'Software\\Wine\\WineDbg' '"ShowCrashDialog"=dword:00000000'; then
        "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1 || die "could not turn off Wine's crash dialog"
        changed=true
    fi
    for exe in veneerkit_tests.exe Veneerkit.exe; do
        user_reg_has "Software\\\\Wine\\\\AppDefaults\\\\$exe\\\\X11 Driver" '"Managed"="N"' &&
            continue
        "$WINE64" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f \
            >/dev/null 2>&1 || die "could not set Wine's window mode for $exe"
        changed=true
    done
    # The server writes user.reg when it ends; the next check must find the values there.
    if $changed; then
        timeout 60 wineserver -w || true
    fi
}

# Leaves Veneerkit's window to the window manager again, as on a user's desktop.
manage_product_window() {
    user_reg_has 'Software\\Wine\\AppDefaults\\Veneerkit.exe\\X11 Driver' '"Managed"="N"' ||
        return 0
    "$WINE64" reg delete 'HKCU\Software\Wine\AppDefaults\Veneerkit.exe\X11 Driver' /v Managed /f \
        >/dev/null 2>&1 || die "could not give Veneerkit's window back to the window manager"
    timeout 60 wineserver -w || true
}

# Whether the prefix's user.reg holds the line $2 under the key $1, spelt as the file spells it
# (backslashes doubled). Read directly: asking `wine reg` would start Wine for each check.
user_reg_has() {
    KEY="[$1]" LINE="$2" awk '
        index($0, ENVIRON["KEY"]) == 1 { inside = 1; next }
        /^\[/ { inside = 0 }
        inside && $0 == ENVIRON["LINE"] { found = 1 }
        END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
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
