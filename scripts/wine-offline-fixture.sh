#!/usr/bin/env bash
# A Windows volume made from a Wine machine, for hivesweep-offline:
#   scripts/wine-offline-fixture.sh PREFIX DIR [ro|rw]
# builds the hive files from the prefix's own registry files
# (scripts/wine-hives.py: SOFTWARE, SYSTEM, DEFAULT, the user's NTUSER.DAT and
# UsrClass.dat, link keys flagged as links) in DIR/hives, copies the prefix's
# drive_c onto an NTFS image DIR/volume.img (mkntfs) with the hives in their
# Windows places, and mounts it with ntfs-3g at DIR/volume (read-only unless
# "rw"). Unmount with "umount DIR/volume".
# As on a Windows disk, some names differ in letter case from what the
# registry says (Windows, System32, Users, Program Files\ACME EDITOR) and
# folders carry 8.3 names (PROGRA~1...). Files larger than 64 KiB are made
# as sparse files of their size: a scan asks whether they exist, never reads
# them. Folder links that leave drive_c (Wine's links to the home folder)
# become empty folders.
# Needs root (FUSE), mkntfs, ntfs-3g, setfattr, python3-hivex; the empty hive
# from $HS_HIVES (default ../shared/hives beside the repository).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
PREFIX="${1:?usage: $0 PREFIX DIR [ro|rw]}"
DIR="${2:?usage: $0 PREFIX DIR [ro|rw]}"
MODE="${3:-ro}"
HIVES_SOURCE="${HS_HIVES:-$ROOT/../shared/hives}"

die() {
  echo "wine-offline-fixture.sh: $*" >&2
  exit 1
}

for tool in mkntfs ntfs-3g setfattr xz; do
  command -v "$tool" >/dev/null || die "$tool is missing: run scripts/setup.sh"
done
[ -f "$PREFIX/system.reg" ] || die "$PREFIX holds no Wine registry (system.reg)"
[ -f "$HIVES_SOURCE/recovery/EmptyHive.xz" ] || die "no empty hive in $HIVES_SOURCE/recovery"

mkdir -p "$DIR/hives" "$DIR/volume"
xz -dc "$HIVES_SOURCE/recovery/EmptyHive.xz" >"$DIR/EmptyHive"
# Prints the user's SID, then the profile's path (C:\users\NAME).
mapfile -t user < <(/usr/bin/python3 "$ROOT/scripts/wine-hives.py" hives "$PREFIX" \
  "$DIR/EmptyHive" "$DIR/hives")
profile="${user[1]#[Cc]:\\}"
profile="${profile//\\//}"
[ -n "$profile" ] || die "the prefix's ProfileList names no profile for ${user[0]}"

image="$DIR/volume.img"
rm -f "$image"
# Room for drive_c as it stands (sparse files count at their length) and
# the hives; the image itself stays sparse.
size_mb=$(($(du -sm --apparent-size "$PREFIX/drive_c" | cut -f1) + 512))
truncate -s "${size_mb}M" "$image"
mkntfs -F -Q -q "$image" >"$DIR/mkntfs.log" 2>&1 || die "mkntfs failed (see $DIR/mkntfs.log)"
ntfs-3g "$image" "$DIR/volume" || die "ntfs-3g could not mount $image"
target="$DIR/volume"

# drive_c: folders, small files whole, big ones sparse; in one process, as
# every call through FUSE costs.
/usr/bin/python3 - "$PREFIX/drive_c" "$target" <<'EOF'
import os, shutil, sys
source, target = sys.argv[1], sys.argv[2]
for folder, subfolders, files in os.walk(source):
    here = os.path.join(target, os.path.relpath(folder, source))
    for name in subfolders:
        os.makedirs(os.path.join(here, name), exist_ok=True)
    for name in files:
        path = os.path.join(folder, name)
        size = os.path.getsize(path)
        if size <= 65536:
            shutil.copy2(path, os.path.join(here, name))
        else:
            with open(os.path.join(here, name), "wb") as sparse:
                sparse.truncate(size)
EOF

config="$target/windows/system32/config"
mkdir -p "$config" "$target/$profile/AppData/Local/Microsoft/Windows"
cp "$DIR/hives/SOFTWARE" "$DIR/hives/SYSTEM" "$DIR/hives/DEFAULT" "$config/"
cp "$DIR/hives/NTUSER.DAT" "$target/$profile/"
cp "$DIR/hives/UsrClass.dat" "$target/$profile/AppData/Local/Microsoft/Windows/"

# Letter cases as Windows writes them, where the registry says otherwise.
rename_in() {  # rename_in FOLDER OLD NEW
  [ -e "$1/$2" ] && mv "$1/$2" "$1/$3.tmp" && mv "$1/$3.tmp" "$1/$3"
  return 0
}
rename_in "$target" windows Windows
rename_in "$target/Windows" system32 System32
rename_in "$target" users Users
rename_in "$target/Program Files" "Acme Editor" "ACME EDITOR"

short_name() {  # short_name PATH NAME
  [ -e "$1" ] || return 0
  setfattr -h -n system.ntfs_dos_name -v "$2" "$1" || die "ntfs-3g refused the short name $2"
}
short_name "$target/Program Files" PROGRA~1
short_name "$target/Program Files (x86)" PROGRA~2
short_name "$target/Program Files/Common Files" COMMON~1
short_name "$target/Program Files/ACME EDITOR" ACMEED~1
short_name "$target/ProgramData" PROGRA~3

umount "$target" || { sleep 1 && umount "$target"; } || die "could not unmount $target"
options=()
[ "$MODE" = rw ] || options=(-o ro)
ntfs-3g "${options[@]}" "$image" "$target" || die "ntfs-3g could not mount $image again"
echo "$target"
