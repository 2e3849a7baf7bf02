#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks.
set -euo pipefail
need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_for() { dpkg -s "$1" >/dev/null 2>&1 || need+=("$1"); }
for p in cmake ninja-build g++ clang libgtest-dev libbenchmark-dev googletest libclang-rt-14-dev \
         g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
         wine64 xvfb xauth imagemagick x11-apps python3; do
  pkg_for "$p"
done
if [ ${#need[@]} -gt 0 ]; then
  echo "deps: installing missing packages: ${need[*]}"
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  echo "deps: done"
fi
