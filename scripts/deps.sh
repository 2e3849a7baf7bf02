#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks.
set -euo pipefail
need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_for() { dpkg -s "$1" >/dev/null 2>&1 || need+=("$1"); }
for p in cmake ninja-build g++ clang libgtest-dev libbenchmark-dev googletest libclang-rt-14-dev \
         g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
         wine64 xvfb xauth imagemagick x11-apps python3 locales fonts-ipafont-gothic fonts-liberation; do
  pkg_for "$p"
done
if [ ${#need[@]} -gt 0 ]; then
  echo "deps: installing missing packages: ${need[*]}"
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  echo "deps: done"
fi
# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives code page 932 (Shift-JIS),
# which the Japanese end-to-end tests need.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  echo "deps: generating the ja_JP.UTF-8 locale"
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
