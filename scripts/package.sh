#!/usr/bin/env bash
# Makes the release in dist/ (cleared first), for x64 and x86:
#   Hivesweep-VERSION-setup-ARCH.exe      the installer (installer/Hivesweep.nsi, NSIS)
#   Hivesweep-VERSION-portable-ARCH.zip   the programs, translations, readme, the
#                                         guides as text and an options.ini beside
#                                         them, in one folder
#   hivesweep-offline_VERSION_ARCH.deb    the offline program for Linux rescue
#                                         systems (scripts/make-deb.sh)
# and SHA256SUMS over every file of dist/. The version is the one in the
# programs' resources (src/ui/win32/Hivesweep.rc). The two programs of each
# architecture are built first (a no-op when the build is current).
# HS_PACKAGE_ARCHS="x64" makes one architecture only. Debian, no network:
# needs nsis, zip, dpkg-dev and libhivex-dev (scripts/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
  echo "package.sh: $*" >&2
  exit 1
}

for tool in makensis zip sha256sum python3; do
  command -v "$tool" >/dev/null || die "$tool is missing: run scripts/setup.sh"
done

VERSION="$(sed -n 's/^ *VALUE "ProductVersion", "\([0-9.]*\)".*/\1/p' src/ui/win32/Hivesweep.rc)"
[[ "$VERSION" =~ ^[0-9]+\.[0-9]+$ ]] || die "no ProductVersion in src/ui/win32/Hivesweep.rc"
read -r -a ARCHS <<<"${HS_PACKAGE_ARCHS:-x64 x86}"
# Every file gets the last commit's time, so a rerun on the same commit
# makes the same zips.
EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}"
export TZ=UTC
DIST="$PWD/dist"
STAGING="$PWD/build/package"

build_dir() {  # the build folder of an architecture
  case "$1" in
    x64) echo win64 ;;
    x86) echo win32 ;;
    *) die "unknown architecture $1 (x64 or x86)" ;;
  esac
}

crlf() {  # crlf SOURCE TARGET [ARCH]: a text file for Windows, placeholders filled
  sed -e "s/@VERSION@/$VERSION/g" -e "s/@ARCH@/${3:-}/g" -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"
}

# The files both the installer and the zip ship, in STAGE/files.
stage_files() {  # stage_files ARCH STAGE
  local arch="$1" files="$2/files" build
  build="build/$(build_dir "$arch")"
  mkdir -p "$files"
  for program in hivesweep.exe hivesweep-cli.exe; do
    [ -f "$build/$program" ] || die "$build/$program was not built"
    cp "$build/$program" "$files/"
  done
  cp lang/Lan_*.ini "$files/"
  crlf installer/Readme.txt "$files/Readme.txt" "$arch"
  # The guides as plain text for a text editor, Markdown staying the source.
  python3 scripts/md-to-text.py docs/guide.md "$files/Guide.txt"
  python3 scripts/md-to-text.py docs/fleet.md "$files/Fleet.txt"
}

# files.nsh: the installer's File lines and the uninstaller's Delete lines
# for exactly the staged files.
write_file_list() {  # write_file_list STAGE
  local stage="$1" name
  {
    echo '!macro HS_INSTALL_FILES'
    for name in $(ls "$stage/files" | LC_ALL=C sort); do echo "  File \"$stage/files/$name\""; done
    echo '!macroend'
    echo '!macro HS_DELETE_FILES'
    for name in $(ls "$stage/files" | LC_ALL=C sort); do echo "  Delete \"\$INSTDIR\\$name\""; done
    echo '!macroend'
  } >"$stage/files.nsh"
}

make_installer() {  # make_installer ARCH STAGE
  local arch="$1" stage="$2"
  cp src/ui/win32/Hivesweep.ico installer/wizard.bmp "$stage/"
  # The installer keeps the time of each file it carries (the wizard's picture
  # too): the commit's, as for the programs.
  touch -h -d "@$EPOCH" "$stage/Hivesweep.ico" "$stage/wizard.bmp"
  write_file_list "$stage"
  makensis -V2 -WX -DARCH="$arch" -DVERSION="$VERSION" -DSTAGE="$stage" \
    -DOUTFILE="$DIST/Hivesweep-$VERSION-setup-$arch.exe" installer/Hivesweep.nsi \
    >"$stage/makensis.log" 2>&1 || { cat "$stage/makensis.log" >&2; die "makensis failed for $arch"; }
}

# One folder in the zip, with an options.ini so the settings (and the
# backups, in the default Backup folder beside the program) stay with it.
make_zip() {  # make_zip ARCH STAGE
  local arch="$1" stage="$2"
  local name="Hivesweep-$VERSION-portable-$arch"
  local folder="$stage/zip/$name"
  mkdir -p "$folder"
  cp "$stage"/files/* "$folder/"
  printf '%s\r\n' "; Corvane Hivesweep settings, kept beside the program so they travel with it." \
    "[Options]" "Lan=English" >"$folder/options.ini"
  find "$stage/zip" -exec touch -h -d "@$EPOCH" {} +
  (cd "$stage/zip" && find "$name" -type f | LC_ALL=C sort | zip -X -D -q -9 "$DIST/$name.zip" -@)
}

start=$SECONDS
rm -rf "$DIST" "$STAGING"
mkdir -p "$DIST"
for arch in "${ARCHS[@]}"; do
  HS_TARGETS="hivesweep hivesweep-cli" bash scripts/build.sh "$(build_dir "$arch")" \
    >"build/package-build-$arch.log" 2>&1 ||
    { cat "build/package-build-$arch.log" >&2; die "building the $arch programs failed"; }
  stage="$STAGING/$arch"
  stage_files "$arch" "$stage"
  find "$stage/files" -exec touch -h -d "@$EPOCH" {} +
  make_installer "$arch" "$stage"
  make_zip "$arch" "$stage"
done
SOURCE_DATE_EPOCH="$EPOCH" bash scripts/make-deb.sh "$DIST" >/dev/null
(cd "$DIST" && sha256sum -- $(ls | LC_ALL=C sort) >SHA256SUMS)

echo "package.sh: made in $((SECONDS - start)) s, in dist/:"
(cd "$DIST" && for file in *; do printf '  %-40s %10d bytes\n' "$file" "$(stat -c %s "$file")"; done)
