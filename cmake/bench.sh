#!/usr/bin/env bash
# Runs the benchmark under Wine on a virtual display; arguments pick benchmarks by name.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing "${VENEERKIT_PACKAGES[@]}"
find_wine64
configure
cmake --build "$BUILD_DIR" --target win64-configure >/dev/null || die "configure of build/win64 failed"
say "building build/win64/veneerkit_bench.exe"
cmake --build "$BUILD_DIR/win64" --target veneerkit_bench Veneerkit || die "build failed"

trap stop_xvfb EXIT
start_xvfb
prime_prefix
say "running the benchmark"
"$WINE64" "$BUILD_DIR/win64/veneerkit_bench.exe" "$@"
