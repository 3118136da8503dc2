#!/usr/bin/env bash
# Makes the Debian package of the offline program:
#   scripts/make-deb.sh OUT_DIR
# writes OUT_DIR/hivesweep-offline_VERSION_ARCH.deb with /usr/bin/hivesweep-offline,
# its manual page (docs/hivesweep-offline.1) and docs/offline.md. The native
# program is built first (a no-op when current). Depends comes from
# dpkg-shlibdeps (the libhivex package among them). Every file gets the time
# SOURCE_DATE_EPOCH (else the last commit's), so a rerun on the same commit
# makes the same package. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
  echo "make-deb.sh: $*" >&2
  exit 1
}

OUT="${1:?usage: $0 OUT_DIR}"
for tool in dpkg-deb dpkg-shlibdeps gzip; do
  command -v "$tool" >/dev/null || die "$tool is missing: run scripts/setup.sh"
done
VERSION="$(sed -n 's/^ *VALUE "ProductVersion", "\([0-9.]*\)".*/\1/p' src/ui/win32/Hivesweep.rc)"
[[ "$VERSION" =~ ^[0-9]+\.[0-9]+$ ]] || die "no ProductVersion in src/ui/win32/Hivesweep.rc"
EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}"
export SOURCE_DATE_EPOCH="$EPOCH" TZ=UTC
ARCH="$(dpkg --print-architecture)"
mkdir -p build
HS_TARGETS=hivesweep-offline bash scripts/build.sh native >build/deb-build.log 2>&1 ||
  { cat build/deb-build.log >&2; die "building hivesweep-offline failed"; }

stage="$PWD/build/deb"
root="$stage/root"
rm -rf "$stage"
mkdir -p "$root/DEBIAN" "$root/usr/bin" "$root/usr/share/man/man1" \
  "$root/usr/share/doc/hivesweep-offline"
install -m 0755 build/native/hivesweep-offline "$root/usr/bin/"
strip --strip-unneeded "$root/usr/bin/hivesweep-offline"
sed "s/@VERSION@/$VERSION/g" docs/hivesweep-offline.1 | gzip -9n >"$root/usr/share/man/man1/hivesweep-offline.1.gz"
install -m 0644 docs/offline.md "$root/usr/share/doc/hivesweep-offline/"
printf '%s\n' "Corvane Hivesweep offline program, version $VERSION." \
  "Copyright Corvane. Uses libhivex (LGPL-2.1+) through its shared library." \
  >"$root/usr/share/doc/hivesweep-offline/copyright"

# dpkg-shlibdeps reads the package's name from a debian/control beside it.
mkdir -p "$stage/debian"
printf 'Source: hivesweep\n\nPackage: hivesweep-offline\nArchitecture: any\n' >"$stage/debian/control"
depends="$(cd "$stage" && dpkg-shlibdeps -O root/usr/bin/hivesweep-offline 2>"$stage/shlibdeps.log" |
  sed -n 's/^shlibs:Depends=//p')" || true
[ -n "$depends" ] || { cat "$stage/shlibdeps.log" >&2; die "dpkg-shlibdeps found no dependencies"; }
[[ "$depends" == *libhivex* ]] || die "the program does not depend on libhivex: $depends"

cat >"$root/DEBIAN/control" <<EOF
Package: hivesweep-offline
Version: $VERSION
Architecture: $ARCH
Maintainer: Corvane Hivesweep <hivesweep@corvane.example>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Recommends: ntfs-3g
Section: admin
Priority: optional
Homepage: https://www.corvane.example/hivesweep
Description: read, repair and restore the registry of a Windows that does not start
 hivesweep-offline works on a Windows disk mounted from a Linux rescue system:
 it checks the hive files, scans the registry as Corvane Hivesweep does on
 Windows, lists the repair backups, and restores one of them (or repairs)
 with every hive written all or nothing and the old one kept.
EOF

find "$root" -type d -exec chmod 0755 {} +
find "$root" -exec touch -h -d "@$EPOCH" {} +
mkdir -p "$OUT"
package="$OUT/hivesweep-offline_${VERSION}_$ARCH.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
echo "$package"
