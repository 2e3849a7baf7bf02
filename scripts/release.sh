#!/usr/bin/env bash
# The release: the 32-bit Pinote.dll (built by the win32 preset, the tree whose test programs
# make test runs under 32-bit Wine against this very DLL), checked, and packed with the help
# pages, the install notes, the licence and checksums into dist/Pinote-<version>.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "${JOBS:-2}" --target Pinote
scripts/check-release-dll.sh build/win32/Pinote.dll
python3 scripts/release.py build/win32/Pinote.dll dist
