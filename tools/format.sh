#!/usr/bin/env bash
# Formats every C++ file of the repository with the root .clang-format; --check only reports.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=(-i)
[ "${1:-}" = "--check" ] && mode=(--dry-run --Werror)
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format "${mode[@]}"
