#!/usr/bin/env bash
# The test command: installs what is missing, checks the formatting, builds both targets and runs
# both builds' suites under Xvfb and Wine.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

JUNIT="$BUILD_DIR/Testing/results.xml"

cleanup() {
    stop_wine_holder
    stop_xvfb
}

# Tells from what ctest actually ran, not from a listing, whether both suites ran, the shipped
# 32-bit one no fewer tests than the 64-bit one, and each its code-page tests under 932 too: a
# 32-bit exe that never starts can make its suite vanish at discovery while everything else
# passes, and so can a runner whose locale is gone.
check_suites_ran() {
    local counts
    counts=$(grep -o '<testcase [^>]*>' "$1" | awk '
        {
            name = $0; sub(/.* name="/, "", name); sub(/".*/, "", name)
            time = $0; sub(/.* time="/, "", time); sub(/".*/, "", time)
            arch = name; sub(/\..*/, "", arch)
        }
        / status="(run|fail)"/ && (arch == "win32" || arch == "win64") {
            ran[arch]++; seconds[arch] += time
            if (index(name, arch ".cp932.") == 1)
                cp932[arch]++
        }
        END {
            printf "%d %d %.0f %.0f %d %d\n", ran["win32"], ran["win64"], \
                seconds["win32"], seconds["win64"], cp932["win32"], cp932["win64"]
        }') || die "could not read $1"
    local win32 win64 seconds32 seconds64 cp932_32 cp932_64
    read -r win32 win64 seconds32 seconds64 cp932_32 cp932_64 <<<"$counts"
    say "win32 suite: $win32 tests ran in $seconds32 s ($cp932_32 of them under code page 932);" \
        "win64 suite: $win64 in $seconds64 s ($cp932_64 under 932)"
    if [ "$WIN32_EMULATED" = true ]; then
        # The 32-bit suite was left out (see below): the 64-bit one must have run, in both code
        # pages.
        if [ "$win64" -eq 0 ] || [ "$cp932_64" -eq 0 ]; then
            printf 'error: the win64 suite ran %s tests, %s under code page 932\n' \
                "$win64" "$cp932_64" >&2
            return 1
        fi
        return 0
    fi
    if [ "$win32" -eq 0 ] || [ "$win64" -eq 0 ]; then
        printf 'error: a suite ran no test (win32: %s, win64: %s)\n' "$win32" "$win64" >&2
        return 1
    fi
    if [ "$win32" -lt "$win64" ]; then
        printf 'error: the win32 suite ran %s tests, fewer than the %s of win64\n' \
            "$win32" "$win64" >&2
        return 1
    fi
    if [ "$cp932_32" -eq 0 ] || [ "$cp932_64" -eq 0 ]; then
        printf 'error: a suite ran no test under code page 932 (win32: %s, win64: %s)\n' \
            "$cp932_32" "$cp932_64" >&2
        return 1
    fi
}

install_missing
find_wine64
find_wine32
check_format || die "the formatting check failed"
build_all

trap cleanup EXIT
start_xvfb
prime_prefix
start_wine_holder

say "running the win32 and win64 suites"
rm -f "$JUNIT"
status=0
if [ "$WIN32_EMULATED" = true ]; then
    # Where the kernel runs no 32-bit programs, qemu stands in (cmake/i386.sh), but Wine under it
    # takes minutes to start each 32-bit process and now and then hangs waiting for its server:
    # the 32-bit suite cannot run there, and saying so beats a run that never ends. Only the
    # 64-bit tree is run, since even listing the 32-bit suite starts it; both exes' sizes and
    # imports are still checked.
    say "WARNING: this kernel runs no 32-bit programs (IA32 emulation off): the win32 suite" \
        "is left out. Run the test command on a kernel with IA32 emulation to test the exe" \
        "users get."
    ctest --test-dir "$BUILD_DIR/win64" --output-on-failure --no-tests=error \
        --output-junit "$JUNIT" || status=$?
    objdump=$(command -v x86_64-w64-mingw32-objdump) || die "x86_64-w64-mingw32-objdump not found"
    for arch in win32 win64; do
        format=pei-x86-64
        [ "$arch" = win32 ] && format=pei-i386
        cmake "-DOBJDUMP=$objdump" "-DEXE=$BUILD_DIR/$arch/Veneerkit.exe" "-DFORMAT=$format" \
            -P "$VENEERKIT_ROOT/cmake/CheckImports.cmake" || status=1
    done
else
    ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error --output-junit "$JUNIT" ||
        status=$?
fi
if [ ! -f "$JUNIT" ]; then
    printf 'error: ctest wrote no results to %s\n' "$JUNIT" >&2
    status=1
elif ! check_suites_ran "$JUNIT"; then
    status=1
fi
exit $status
