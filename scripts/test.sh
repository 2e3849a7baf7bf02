#!/usr/bin/env bash
# All tests, step by step (the README lists them). Each step's build and run times and its test
# counts are summed up at the end. A step this machine cannot run is counted as skipped, with
# the reason, never as passed.
set -uo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
. scripts/wine-env.sh
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")

rows=(); passed=0; failed=0; skipped=0
build_s=""; run_s=""; detail=""

mmss() { [ -n "$1" ] && printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)) || printf -- '-'; }

# step NAME FUNCTION [ARGS...]: the function sets build_s, run_s and detail, and returns 0 (passed),
# 2 (skipped: detail says why) or anything else (failed).
step() {
  local name=$1 rc result; shift
  build_s=""; run_s=""; detail=""
  echo "=== $name"
  "$@"; rc=$?
  case $rc in
    0) result=passed; passed=$((passed + 1)) ;;
    2) result=skipped; skipped=$((skipped + 1)) ;;
    *) result=FAILED; failed=$((failed + 1)); echo "=== $name FAILED" ;;
  esac
  rows+=("$(printf '%-15s %-8s %7s %7s  %s' "$name" "$result" "$(mmss "$build_s")" "$(mmss "$run_s")" "$detail")")
}

# build PRESET: configure and build, timed into build_s.
build() {
  local t=$SECONDS rc
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$JOBS"
  rc=$?; build_s=$((SECONDS - t)); return $rc
}

# Counts of a ctest run whose tests are single GoogleTest cases.
case_counts() {
  awk '/Test +#[0-9]+: /{ if (/\*\*\*Skipped/) s++; else if (/ Passed /) p++; else f++ }
       END { printf "%d passed, %d skipped, %d failed", p, s, f }' "$1"
}

# Counts of a verbose ctest run whose tests are whole GoogleTest programs: per program and in all.
program_counts() {
  awk '
    /^[0-9]+\/[0-9]+ Test +#[0-9]+: / { k = $3; sub(/#/, "", k); sub(/:/, "", k); name[k] = $4
      ok[k] = ($0 ~ / Passed /); order[++n] = k }
    /^[0-9]+: \[  PASSED  \] [0-9]+ test/  { k = $1; sub(/:/, "", k); p[k] = $5 }
    /^[0-9]+: \[  SKIPPED \] [0-9]+ test/  { k = $1; sub(/:/, "", k); s[k] = $5 }
    /^[0-9]+: \[  FAILED  \] [0-9]+ test/  { k = $1; sub(/:/, "", k); f[k] = $5 }
    END {
      for (i = 1; i <= n; i++) {
        k = order[i]; P += p[k]; S += s[k]; F += f[k]
        more = s[k] ? s[k] " skipped" : ""
        if (f[k]) more = more (more ? ", " : "") f[k] " FAILED"
        if (!ok[k] && !f[k]) { more = more (more ? ", " : "") "crashed or timed out"; F++ }
        line = line sprintf("%s%s %d", i > 1 ? "; " : "", name[k], p[k]) (more ? " (" more ")" : "")
      }
      printf "%d passed, %d skipped, %d failed (%s)", P, S, F, line
    }' "$1"
}

native_tests() {  # native_tests PRESET
  build "$1" || return 1
  local t=$SECONDS rc log=build/$1/test-output.log
  ctest --preset "$1" -j "$JOBS" 2>&1 | tee "$log"; rc=${PIPESTATUS[0]}
  run_s=$((SECONDS - t)); detail=$(case_counts "$log")
  return $rc
}

wine64_tests() {
  build win64 || return 1
  local t=$SECONDS rc log=build/win64/test-output.log
  wine_init
  "${xvfb[@]}" ctest --preset win64 2>&1 | tee "$log"; rc=${PIPESTATUS[0]}
  run_s=$((SECONDS - t)); detail=$(program_counts "$log")
  return $rc
}

# The i686 tree in the release configuration: the DLL users install, checked as released.
i686_built=0
i686_release() {
  build win32 || return 1
  i686_built=1
  local t=$SECONDS rc
  detail=$(scripts/check-release-dll.sh build/win32/Pinote.dll); rc=$?
  echo "$detail"; detail=${detail#check-release-dll: }; run_s=$((SECONDS - t))
  return $rc
}

# Every test program of that tree under 32-bit Wine, against that very Pinote.dll.
i686_tests() {
  if [ $i686_built != 1 ]; then detail="not run: the i686 build failed"; return 1; fi
  local t=$SECONDS rc reason log=build/win32/test-output.log
  if ! reason=$(wine32_init); then
    detail="skipped: $reason"; echo "$detail"; run_s=$((SECONDS - t)); return 2
  fi
  "${xvfb[@]}" ctest --preset win32 2>&1 | tee "$log"; rc=${PIPESTATUS[0]}
  run_s=$((SECONDS - t)); detail=$(program_counts "$log")
  return $rc
}

fuzz_fixed() {
  build fuzz || return 1
  local t=$SECONDS rc
  scripts/fuzz.sh --fixed; rc=$?
  run_s=$((SECONDS - t))
  detail="$(ls build/fuzz/fuzz_* | wc -l) targets, ${FUZZ_RUNS:-200000} runs each from the seeds, seed ${FUZZ_SEED:-1}"
  return $rc
}

start=$SECONDS
scripts/deps.sh || exit 1
deps_s=$((SECONDS - start))
step native native_tests native
step sanitizers native_tests asan
step wine64 wine64_tests
step i686-release i686_release
step i686-wine32 i686_tests
step fuzz fuzz_fixed

echo
printf '%-15s %-8s %7s %7s  %s\n' step result build run tests
printf '%-15s %-8s %7s\n' deps "" "$(mmss $deps_s)"
printf '%s\n' "${rows[@]}"
echo "total $(mmss $((SECONDS - start)))"
echo "$passed passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
