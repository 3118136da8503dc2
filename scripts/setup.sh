#!/usr/bin/env bash
# Installs what a fresh Debian machine needs to build and test the project.
# Safe to run again: it asks apt only for packages that are missing.
set -euo pipefail

PACKAGES=(
  cmake make g++ python3 clang-format
  googletest libgtest-dev libbenchmark-dev
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 xvfb xauth imagemagick locales
  nsis zip unzip  # scripts/package.sh makes the installers and zips; the installer test opens them
  dpkg-dev man-db  # scripts/make-deb.sh makes the offline program's package; its test reads the manual page
  xdotool  # the demo and the screenshots press the window's shortcuts
  # Wine draws every translation's script with these: Latin, Greek, Cyrillic
  # and Arabic (Noto), Chinese, Japanese and Korean (Noto CJK, WenQuanYi)
  fonts-noto-core fonts-noto-cjk fonts-wqy-microhei
  openbox fonts-wine  # the screenshots' frames and title bars; Wine's own fonts
  clang libclang-rt-14-dev  # libFuzzer and the sanitizers' runtime for tests/fuzz
  libhivex-dev python3-hivex libhivex-bin libwin-hivex-perl  # hive files: the offline program and its independent readers in the tests
  ntfs-3g attr xz-utils  # the offline program on a mounted volume; the tests decompress the hive files
  nlohmann-json3-dev  # the scan's JSON (header-only; the MinGW builds get a copy of its headers alone)
  python3-jsonschema  # the tests check the scan's JSON against its schema in docs/
)

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine takes its ANSI code page from the locale: the Cyrillic one (1251) lets
# the backup tests run in a code page other than Windows-1252.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf-\?8'; then
  echo "setup: making the ru_RU.UTF-8 locale"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
echo "setup: all packages present"
