# Sourced by the console scripts of tests/win32/: each is one test in the
# "[  PASSED  ] 1 test, NAME" form that scripts/test.sh counts. The caller
# sets OUT, the folder for the programs' output.
HS_TEST_NAME="$(basename "$0" .sh)"

fail() {
  echo "$HS_TEST_NAME: $*"
  echo "[  FAILED  ] 1 test, $HS_TEST_NAME"
  exit 1
}

pass() {
  echo "[  PASSED  ] 1 test, $HS_TEST_NAME"
}

wine_run() {  # wine_run NAME ARGS...: output into $OUT/NAME.out and .err
  local name="$1"
  shift
  "$HS_WINE" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err"
  local status=$?
  wineserver -w
  return $status
}

# Mounting an NTFS image with ntfs-3g needs root and /dev/fuse: without them
# the test is skipped, and says so.
# The volume starts from the recovery folder's empty hive; without the hive
# collection (HS_HIVES, else ../shared/hives) the offline tests skip, as the
# native ones do.
skip_without_hives() {
  local hives="${HS_HIVES:-$PWD/../shared/hives}"
  if ! ls "$hives"/recovery/EmptyHive* >/dev/null 2>&1; then
    echo "$HS_TEST_NAME: skipped: no hive collection at $hives (set HS_HIVES)"
    pass
    exit 0
  fi
}

skip_without_fuse() {
  if [ "$(id -u)" -ne 0 ] || [ ! -w /dev/fuse ]; then
    echo "$HS_TEST_NAME: skipped: mounting the NTFS image with ntfs-3g needs root and /dev/fuse"
    pass
    exit 0
  fi
}

# What every offline script needs before it starts: FUSE, the hive
# collection and the offline program at $OFFLINE.
needs_offline_volume() {
  skip_without_fuse
  skip_without_hives
  [ -x "$OFFLINE" ] || fail "missing $OFFLINE"
}
