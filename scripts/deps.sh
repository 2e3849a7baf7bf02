#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks.
# fonts-wine is for the demo's screenshots: without Wine's Marlett the title-bar buttons that
# Wine draws itself come out as the letters "0 1 r".
set -euo pipefail
need=()
pkg_for() { dpkg -s "$1" >/dev/null 2>&1 || need+=("$1"); }
for p in cmake ninja-build g++ clang libgtest-dev libbenchmark-dev googletest libclang-rt-14-dev \
         g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
         wine64 xvfb xauth imagemagick x11-apps python3 locales fonts-ipafont-gothic fonts-liberation \
         fonts-wine; do
  pkg_for "$p"
done
SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo

# The i686 tests run under 32-bit Wine: package wine32 from the i386 architecture, which an
# amd64 machine may not have enabled yet. Elsewhere the i686 test step says why it is skipped.
want_wine32=0
if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  arch=$(dpkg --print-architecture)
  if [ "$arch" != amd64 ]; then
    echo "deps: not installing wine32: this is an $arch machine, 32-bit Wine needs amd64"
  else
    want_wine32=1
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      echo "deps: adding the i386 architecture (for wine32)"
      $SUDO dpkg --add-architecture i386
    fi
  fi
fi

if [ ${#need[@]} -gt 0 ] || [ $want_wine32 = 1 ]; then
  $SUDO apt-get update -qq || echo "deps: apt-get update reported errors"
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "deps: installing missing packages: ${need[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  echo "deps: done"
fi
# Separately and after wine64, so that a missing i386 archive costs the i686 tests only; it
# must not remove anything to make room (wine32 and wine64 must have the same version).
if [ $want_wine32 = 1 ]; then
  echo "deps: installing wine32 (32-bit Wine, for the i686 tests)"
  t=$SECONDS
  if DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
       --no-remove wine32 >/dev/null; then
    echo "deps: wine32 installed in $((SECONDS - t)) s"
  else
    echo "deps: could not install wine32; the i686 tests will be skipped"
  fi
fi

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives code page 932 (Shift-JIS),
# which the Japanese end-to-end tests need.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  echo "deps: generating the ja_JP.UTF-8 locale"
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
