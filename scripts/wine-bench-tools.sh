# Sourced by the Wine benchmarks (after scripts/wine-env.sh, with OUT set):
# Win32 calls counted by name, to explain a benchmark's ratio call by call,
# and the CPU time of the prefix's Wine server, which does the registry's work.

# The CPU time (clock ticks) Wine's server of this prefix has used so far: it
# works in its prefix's server folder, named after the prefix's device and
# inode. 0 when it is not running.
server_ticks() {
  local folder proc
  folder="$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))"
  for proc in /proc/[0-9]*; do
    case "$(readlink "$proc/cwd" 2>/dev/null)" in
      */"$folder") awk '{ print $14 + $15 }' "$proc/stat" 2>/dev/null && return ;;
    esac
  done
  echo 0
}

# Runs PROGRAM under Wine and prints its wall time, its own CPU time and the
# CPU time of Wine's server meanwhile, in seconds. The sum of both CPU times
# is the work of the run, which the machine's load does not stretch.
timed_run() {  # timed_run LABEL PROGRAM ARGS...
  local label="$1" before after
  shift
  before=$(server_ticks)
  /usr/bin/time -f "%e %U %S" -o "$OUT/$label.time" "$HS_WINE" "$@" \
    >"$OUT/$label.out" 2>"$OUT/$label.err" || true
  after=$(server_ticks)
  awk -v server="$(((after - before)))" -v hz="$(getconf CLK_TCK)" \
    '{ print $1, $2 + $3, server / hz }' "$OUT/$label.time"
}

# The Win32 calls of the registry and file-system kinds a program itself
# makes (not Wine's own, inside its libraries), counted by name from Wine's
# relay trace: the program's image is at 0x140000000, Wine's libraries
# elsewhere. The relay settings are a key of HKEY_CURRENT_USER, removed
# again before anything is timed.
count_calls() {  # count_calls LABEL PROGRAM ARGS... ; writes $OUT/LABEL.calls ("count name" lines)
  local label="$1"
  shift
  "$HS_WINE" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'advapi32.*;kernel32.*;kernelbase.*;ntdll.NtDeleteKey' \
    /f >"$OUT/relay-on.log" 2>&1
  WINEDEBUG=+relay "$HS_WINE" "$@" >"$OUT/$label.counted.out" 2>"$OUT/$label.relay" || true
  "$HS_WINE" reg delete 'HKCU\Software\Wine\Debug' /f >"$OUT/relay-off.log" 2>&1
  grep -E ':Call .* ret=14[0-9a-f]{7}$' "$OUT/$label.relay" |
    grep -oE 'Call [A-Za-z0-9_]+\.(Reg|NtDeleteKey|GetFileAttributes|Find|CreateFile|ReadFile|WriteFile|FlushFileBuffers|SetFilePointer|GetFileSize|CloseHandle|MoveFile|DeleteFile|CreateDirectory|ExpandEnvironmentStrings|GetDriveType|GetVolumeInformation)[A-Za-z0-9_]*' |
    sed 's/^Call [^.]*\.//' | sort | uniq -c | sort -rn >"$OUT/$label.calls"
  rm -f "$OUT/$label.relay"
}

# Both programs' calls side by side, and per UNIT (key, value, entry...) of
# each kind walked: COUNT1 UNIT1 COUNT2 UNIT2.
call_table() {  # call_table A B COUNT1 UNIT1 COUNT2 UNIT2
  local keys="$3" values="$5"
  echo "calls ($3 ${4}s, $5 ${6}s):"
  printf '  %-26s %10s %10s %14s %14s %14s %14s\n' call "$1" "$2" "$1/$4" "$2/$4" "$1/$6" "$2/$6"
  join -1 2 -2 2 -a 1 -a 2 -e 0 -o 0,1.1,2.1 <(sort -k2 "$OUT/$1.calls") <(sort -k2 "$OUT/$2.calls") |
    awk -v k="$keys" -v v="$values" '
      function row(name, a, b) { printf "  %-26s %10d %10d %14.3f %14.3f %14.3f %14.3f\n", name, a, b, a / k, b / k, a / v, b / v }
      { row($1, $2, $3); a += $2; b += $3 } END { row("all", a, b) }'
}

