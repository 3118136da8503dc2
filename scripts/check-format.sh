#!/usr/bin/env bash
# Fails, naming the files, when a C++ file is not formatted by .clang-format.
# Fix with: scripts/check-format.sh --fix
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# One clang-format for every file (starting one per file costs more than the
# check); its complaints name the files.
if ! complaints="$(clang-format --dry-run --Werror "${files[@]}" 2>&1)"; then
  echo "not formatted (run scripts/check-format.sh --fix):"
  sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*/  \1/p' <<<"$complaints" | sort -u | grep . ||
    echo "$complaints"  # clang-format failed otherwise: its own words
  exit 1
fi
echo "format: ${#files[@]} files formatted"
