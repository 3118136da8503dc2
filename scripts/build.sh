#!/usr/bin/env bash
# Builds the native engine with its tests, and the Windows programs for x64
# and x86 with MinGW-w64. Usage: scripts/build.sh [native|win64|win32|all|programs]
# "programs" builds only hivesweep.exe and hivesweep-cli.exe for x64 (with the
# translation files beside them), not the tests. The x86 build makes only the
# two programs unless HS_X86_TESTS=1: its test program cannot run where the
# kernel runs no 32-bit code, so building it would only cost time.
# HS_BENCH=ON adds the benchmarks of bench/; HS_UNITY=OFF compiles each file on
# its own (unity builds are the default: see CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${JOBS:-2}"
what="${1:-all}"

# ccache, when installed, lets several work trees of the project share objects.
LAUNCHER=(-DHS_BENCH="${HS_BENCH:-OFF}" -DHS_UNITY="${HS_UNITY:-ON}")
if command -v ccache >/dev/null; then
  # Precompiled headers need the sloppiness settings to be cached at all.
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_SLOPPINESS=pch_defines,time_macros
  LAUNCHER+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

build() {  # build DIR [cmake args...]
  local dir="$1"
  shift
  cmake -S . -B "build/$dir" -DCMAKE_BUILD_TYPE=Release "${LAUNCHER[@]}" "$@" >"build/cmake-$dir.log" 2>&1 ||
    { cat "build/cmake-$dir.log"; return 1; }
  cmake --build "build/$dir" -j"$JOBS" ${HS_TARGETS:+--target $HS_TARGETS}
}

build_x86() {
  [ "${HS_X86_TESTS:-0}" = 1 ] || local HS_TARGETS="hivesweep hivesweep-cli"
  build win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
}

mkdir -p build
case "$what" in
  native) build native ;;
  win64) build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ;;
  win32) build_x86 ;;
  programs) HS_TARGETS="hivesweep hivesweep-cli" build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ;;
  all)
    build native
    build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
    build_x86
    ;;
  *) echo "usage: $0 [native|win64|win32|all|programs]" >&2; exit 2 ;;
esac
