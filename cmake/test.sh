#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets and runs the suite under Xvfb and Wine.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

cleanup() {
    stop_wine_holder
    stop_xvfb
}

install_missing "${VENEERKIT_PACKAGES[@]}"
find_wine64
build_all

trap cleanup EXIT
start_xvfb
prime_prefix
start_wine_holder

say "running the tests"
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error
