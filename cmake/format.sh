#!/usr/bin/env bash
# Formats the C++ sources with clang-format; with --check, only lists the files it would change.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

case "${1:-}" in
"") mode=format ;;
--check) mode=check ;;
*) die "usage: bash cmake/format.sh [--check]" ;;
esac

install_missing clang-format
if [ "$mode" = check ]; then
    check_format || exit 1
    say "all C++ files are formatted"
    exit 0
fi

find_clang_format
say "formatting with $("$CLANG_FORMAT" --version | sed 's/.*version //')"
cd "$VENEERKIT_ROOT"
cxx_sources | while IFS= read -r file; do
    "$CLANG_FORMAT" --style=file -i "$file"
done
git status --short -- app bench folders platform programs res support tests 2>/dev/null || true
