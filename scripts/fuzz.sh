#!/usr/bin/env bash
# libFuzzer targets of tests/fuzz, built with clang and the address and
# undefined-behaviour sanitizers in build/fuzz.
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer flags...]
#       fuzzes one target; new inputs go to build/fuzz/corpus/TARGET, crashes
#       to build/fuzz/artifacts/TARGET/
#   scripts/fuzz.sh merge TARGET   minimizes the committed corpus with the new inputs
#   scripts/fuzz.sh replay         runs every committed input of every target once
#       (the corpus, and tests/fuzz/regressions/TARGET: inputs that once
#       failed, kept whatever a merge keeps)
#   scripts/fuzz.sh build          only builds the targets
#   scripts/fuzz.sh list           the target names
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${JOBS:-2}"
CORPORA=tests/fuzz/corpus
BUILD=build/fuzz

targets() { for f in tests/fuzz/*.cpp; do basename "$f" .cpp; done; }

# Longest input worth trying per target: whole small files for the readers,
# a command line or a registry string for the others.
max_len() {
  case "$1" in
    RegFileFuzz | IniFileFuzz | TranslationFuzz | ShellLinkFuzz) echo 16384 ;;
    LogReplayFuzz) echo 65536 ;;
    *) echo 1024 ;;
  esac
}

# Runs started together build once: the others wait for the lock and find
# everything up to date.
build_targets() {
  mkdir -p build
  exec 9>build/fuzz.lock
  flock 9
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # -O1 and line tables: libFuzzer's usual build; the sanitizers' reports
  # still name file and line, and it compiles in four fifths of the time.
  CXX=clang++ cmake -S . -B "$BUILD" -DHS_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" "${launcher[@]}" \
    >build/cmake-fuzz.log 2>&1 || { cat build/cmake-fuzz.log; return 1; }
  cmake --build "$BUILD" -j"$JOBS" >build/build-fuzz.log 2>&1 || { cat build/build-fuzz.log; return 1; }
  flock -u 9
}

known_target() {
  [ -n "$1" ] && [ -f "tests/fuzz/$1.cpp" ] || { echo "unknown target '$1'; targets: $(targets | xargs)" >&2; exit 2; }
}

# Every committed input once; one GoogleTest-style summary line per outcome
# so that scripts/test.sh counts each target as a test.
replay() {
  local passed=0 failed=()
  for target in $(targets); do
    local inputs=("$CORPORA/$target"/*)
    [ -d "tests/fuzz/regressions/$target" ] && inputs+=("tests/fuzz/regressions/$target"/*)
    if [ -e "${inputs[0]}" ] &&
      "$BUILD/$target" -rss_limit_mb=2048 -timeout=10 "${inputs[@]}" >"$BUILD/replay-$target.log" 2>&1; then
      echo "fuzz replay $target: ${#inputs[@]} inputs"
      passed=$((passed + 1))
    else
      echo "fuzz replay $target FAILED (no corpus, or see $BUILD/replay-$target.log):"
      tail -n 30 "$BUILD/replay-$target.log" 2>/dev/null || true
      failed+=("$target")
    fi
  done
  echo "[  PASSED  ] $passed tests."
  if [ "${#failed[@]}" -gt 0 ]; then
    echo "[  FAILED  ] ${#failed[@]} tests, listed below:"
    for target in "${failed[@]}"; do echo "[  FAILED  ] fuzz replay $target"; done
    return 1
  fi
}

run() {  # run TARGET SECONDS [flags...]
  local target="$1" seconds="$2"
  shift 2
  local work="$BUILD/corpus/$target" artifacts="$BUILD/artifacts/$target/" dict=()
  mkdir -p "$work" "$artifacts"
  [ -f "tests/fuzz/$target.dict" ] && dict=(-dict="tests/fuzz/$target.dict")
  "$BUILD/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -max_len="$(max_len "$target")" -artifact_prefix="$artifacts" -print_final_stats=1 \
    "${dict[@]}" "$@" "$work" "$CORPORA/$target"
}

# Keeps a small set of inputs that reaches every edge all of them reach
# (edges only: with hit counts as features nearly every input would stay).
merge() {
  local target="$1"
  local merged="$BUILD/merged/$target"
  rm -rf "$merged"
  mkdir -p "$merged" "$BUILD/corpus/$target"
  "$BUILD/$target" -merge=1 -use_counters=0 -rss_limit_mb=2048 -timeout=10 -max_len="$(max_len "$target")" \
    "$merged" "$CORPORA/$target" "$BUILD/corpus/$target"
  rm -rf "${CORPORA:?}/$target"
  mv "$merged" "$CORPORA/$target"
}

case "${1:-}" in
  list) targets ;;
  build) build_targets ;;
  replay) build_targets && replay ;;
  merge) known_target "${2:-}" && build_targets && merge "$2" ;;
  "" | -h | --help) sed -n '2,10p' "$0" >&2; exit 2 ;;
  *)
    known_target "$1"
    [[ "${2:-}" =~ ^[0-9]+$ ]] || { echo "usage: $0 TARGET SECONDS" >&2; exit 2; }
    build_targets && run "$@"
    ;;
esac
