#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) and runs each for FUZZ_SECONDS seconds,
# starting from the seeds under fuzz/corpus/<target>. Fails on any crash, leak or UB report.
set -uo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS=${FUZZ_SECONDS:-10}
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "${JOBS:-$(nproc)}" || exit 1
status=0
for f in build/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=${f##*/fuzz_}; seeds=fuzz/corpus/$name; work=build/fuzz/corpus-$name
  mkdir -p "$work"
  args=("$work"); [ -d "$seeds" ] && args+=("$seeds")
  if "$f" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 "${args[@]}" >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz $name: ok ($(grep -oE 'Done [0-9]+ runs' "build/fuzz/$name.log" | tail -1))"
  else
    echo "fuzz $name: FAILED"; tail -n 40 "build/fuzz/$name.log"; status=1
  fi
done
exit $status
