#!/usr/bin/env bash
# All tests: native (GCC), sanitizers, Wine (x86_64), the i686 release DLL checks, short fuzz runs.
set -uo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
. scripts/wine-env.sh
failed=(); passed=()
step() {  # step NAME command...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then passed+=("$name"); else failed+=("$name"); echo "=== $name FAILED"; fi
}
native() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$JOBS" &&
    ctest --preset "$1" -j "$JOBS"
}
win64() {
  wine_init
  cmake --preset win64 >/dev/null && cmake --build --preset win64 -j "$JOBS" &&
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win64
}
release() {
  cmake --preset win32-release >/dev/null && cmake --build --preset win32-release -j "$JOBS" &&
    scripts/check-release-dll.sh build/win32-release/Pinote.dll
}
fuzz() { scripts/fuzz.sh; }
scripts/deps.sh || exit 1
step native native native
step sanitizers native asan
step wine64 win64
step win32-release release
step fuzz fuzz
echo
echo "steps passed: ${passed[*]:-none}"
[ ${#failed[@]} -eq 0 ] || echo "steps FAILED: ${failed[*]}"
echo "${#passed[@]} passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
