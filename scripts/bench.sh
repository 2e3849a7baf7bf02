#!/usr/bin/env bash
# make bench: the store's Google Benchmark figures, then the plug-in in the stand-in host at
# 100,000 people, 64-bit (wine64) and 32-bit (32-bit Wine), each timed against references the
# host makes in the same run, printed as one table per architecture:
#   1. a keystroke in the memo box until Pinote.dat is replaced, against one write of the same
#      bytes, flushed and moved into place by the host;
#   2. one BKC_OnOpenMail with the memo window visible, against the host filling a plain window
#      with the same controls and texts (reffill); also with the painting each leaves for later;
#   3. creating the memo window with loading the store and merging the name list (the first
#      BKC_OnMenuInit of the main menu), against its goal of 300 ms;
#   4. the History dialog of the memo window over seven daily backups of 10 MB, from the command
#      until it is up and closed again, against its goal of 1 s;
# and the host's working set before loading plug-ins, after the first menu build and after
# typing. Sessions and logs stay in build/bench/<preset>/.
#   BENCH_CORE=0       skip the Google Benchmark figures
#   BENCH_ARCHS="win64 win32"   the trees to measure in the host
#   BENCH_CREATIONS=3  extra host starts that only time the creation (besides the session's own)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
JOBS=${JOBS:-2}

if [ -z "${BENCH_UNDER_XVFB:-}" ]; then
  scripts/deps.sh || exit 1
  # One X server for all sessions, the same for every run: no window manager, no desktop.
  BENCH_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
. scripts/wine-env.sh
. scripts/layout.sh

cmake --preset native >/dev/null && cmake --build --preset native -j "$JOBS" \
  --target core_bench bench_host_data || exit 1
if [ "${BENCH_CORE:-1}" = 1 ]; then
  echo "=== the store alone (Google Benchmark, native)"
  build/native/core_bench || exit 1
fi

data=$root/build/bench/data
build/native/bench_host_data "$data" || exit 1

# host_session PRESET RUNNER: lays out build/bench/PRESET, times the creation alone
# BENCH_CREATIONS times, then runs bench/host/session.txt. Logs: creation-N.log, session.log.
host_session() {
  local preset=$1 runner=$2 dir=$root/build/bench/$1 n
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$JOBS" \
    --target B2 Pinote || return 1
  lay_out_installation "$dir" "build/$preset"
  rm -rf "$dir/Mail"
  cp -r "$data/Mail" "$data/meibo.dat" "$dir/"
  # The plug-in does not resolve relative paths: the name list gets its absolute Wine path.
  printf 'Meibo\\Path=String:Z:%s\\meibo.dat\r\n' "${dir//\//\\}" > "$dir/PlugIns/Pinote.ini"
  cp bench/host/session.txt "$dir/"
  printf 'exit\n' > "$dir/creation.txt"
  cd "$dir" || return 1
  for n in $(seq 0 "${BENCH_CREATIONS:-3}"); do
    cp "$data/Pinote.dat" PlugIns/
    rm -f "creation-$n.log"
    if [ "$n" = 0 ]; then
      # The first start of a prefix in this X server also starts Wine's services: not counted.
      timeout -k 10 300 "$runner" B2.exe /script:creation.txt /log:warm-up.log >/dev/null 2>&1
      continue
    fi
    timeout -k 10 300 "$runner" B2.exe /script:creation.txt "/log:creation-$n.log" >/dev/null 2>&1
  done
  cp "$data/Pinote.dat" "$data"/Pinote.dat.*.bak PlugIns/
  rm -f session.log
  timeout -k 10 600 "$runner" B2.exe /script:session.txt /log:session.log >/dev/null 2>&1
  local rc=$?
  cd "$root"
  [ $rc = 0 ] || { echo "bench: B2.exe ($preset) ended with $rc"; return 1; }
}

failed=0
reports=()
for preset in ${BENCH_ARCHS:-win64 win32}; do
  if [ "$preset" = win32 ]; then
    if ! reason=$(wine32_init); then
      echo "=== 32-bit: skipped: $reason"
      continue
    fi
    runner=$root/cmake/wine32-run label="32-bit (i686 MinSizeRel, 32-bit Wine)"
  else
    wine_init
    runner=$root/cmake/wine-run label="64-bit (x86_64, wine64)"
  fi
  echo "=== $label: sessions in build/bench/$preset"
  if host_session "$preset" "$runner"; then
    reports+=("$label" "build/bench/$preset")
  else
    failed=1
  fi
done
[ ${#reports[@]} -gt 0 ] && python3 bench/host/report.py "$data/Pinote.dat" "${reports[@]}"
exit $failed
