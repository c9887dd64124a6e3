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

# ctest's test cases, where a suite that ran in one process (VENEERKIT_ONE_PROCESS_SUITE) stands
# for the tests its own XML report lists, named as ctest would name them.
suite_testcases() {
    local report arch prefix
    grep -o '<testcase [^>]*>' "$1" | grep -Ev ' name="win(32|64)\.(cp932\.)?suite"'
    for report in "$BUILD_DIR"/win*/Testing/suite-*.xml; do
        [ -f "$report" ] || continue
        arch=$(basename "$(dirname "$(dirname "$report")")")
        prefix="$arch."
        case "$report" in *-932.xml) prefix="$arch.cp932." ;; esac
        grep -o '<testcase [^>]*>' "$report" | sed "s/ name=\"/ name=\"$prefix/"
    done
}

# Tells from what ctest actually ran, not from a listing, whether both suites ran, the shipped
# 32-bit one no fewer tests than the 64-bit one, and each its code-page tests under 932 too: a
# 32-bit exe that never starts can make its suite vanish at discovery while everything else
# passes, and so can a runner whose locale is gone.
check_suites_ran() {
    local counts
    counts=$(suite_testcases "$1" | awk '
        {
            name = $0; sub(/.* name="/, "", name); sub(/".*/, "", name)
            time = $0; sub(/.* time="/, "", time); sub(/".*/, "", time)
            arch = name; sub(/\..*/, "", arch)
        }
        / result="skipped"/ && (arch == "win32" || arch == "win64") {
            skipped[arch]++; next
        }
        / status="(run|fail)"/ && (arch == "win32" || arch == "win64") {
            ran[arch]++; seconds[arch] += time
            if (index(name, arch ".cp932.") == 1)
                cp932[arch]++
        }
        END {
            printf "%d %d %.0f %.0f %d %d %d\n", ran["win32"], ran["win64"], \
                seconds["win32"], seconds["win64"], cp932["win32"], cp932["win64"], \
                skipped["win32"]
        }') || die "could not read $1"
    local win32 win64 seconds32 seconds64 cp932_32 cp932_64 skipped32
    read -r win32 win64 seconds32 seconds64 cp932_32 cp932_64 skipped32 <<<"$counts"
    say "win32 suite: $win32 tests ran in $seconds32 s ($cp932_32 of them under code page 932," \
        "$skipped32 skipped); win64 suite: $win64 in $seconds64 s ($cp932_64 under 932)"
    if [ "$win32" -eq 0 ] || [ "$win64" -eq 0 ]; then
        printf 'error: a suite ran no test (win32: %s, win64: %s)\n' "$win32" "$win64" >&2
        return 1
    fi
    # A test skipped where 32-bit programs run only under an emulator was still started.
    if [ $((win32 + skipped32)) -lt "$win64" ]; then
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
if [ "$WIN32_EMULATED" = true ]; then
    say "32-bit programs run under qemu here: the win32 suite runs in one process, and its" \
        "tests that would start more 32-bit programs skip that part"
fi
rm -f "$JUNIT" "$BUILD_DIR"/win*/Testing/suite-*.xml
status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error --output-junit "$JUNIT" ||
    status=$?
if [ ! -f "$JUNIT" ]; then
    printf 'error: ctest wrote no results to %s\n' "$JUNIT" >&2
    status=1
elif ! check_suites_ran "$JUNIT"; then
    status=1
fi
exit $status
