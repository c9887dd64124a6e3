#!/usr/bin/env bash
# Runs the benchmark under Wine on a virtual display.
# Usage: bash cmake/bench.sh [--arch win32|win64] [benchmark names...]
# --arch picks the build (default win32, the exe users get); names pick benchmarks to run.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

arch=win32
if [ "${1:-}" = --arch ]; then
    arch=${2:-}
    shift 2 || true
fi
case "$arch" in
win32 | win64) ;;
*) die "usage: bash cmake/bench.sh [--arch win32|win64] [benchmark names...]" ;;
esac

install_missing
find_wine64
find_wine32
configure
cmake --build "$BUILD_DIR" --target "$arch-configure" >/dev/null ||
    die "configure of build/$arch failed"
say "building build/$arch/veneerkit_bench.exe"
cmake --build "$BUILD_DIR/$arch" --target veneerkit_bench Veneerkit || die "build failed"

trap 'wait_wineserver; stop_xvfb' EXIT
start_xvfb
prime_prefix
say "running the $arch benchmark"
if [ "$arch" = win32 ]; then
    "$WINE32" "$BUILD_DIR/win32/veneerkit_bench.exe" "$@"
else
    "$WINE64" "$BUILD_DIR/win64/veneerkit_bench.exe" "$@"
fi
