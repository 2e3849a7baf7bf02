#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) and runs each one. Fails on any crash, leak or
# UB report; the input that caused it is kept under build/fuzz/artifacts/<target>/.
#
#   scripts/fuzz.sh          explores for FUZZ_SECONDS (default 10) per target, starting from the
#                            seeds in fuzz/corpus/<target> and from what earlier runs found, which
#                            is kept in build/fuzz/corpus-<target> (make fuzz).
#   scripts/fuzz.sh --fixed  the same inputs every run (make test): only the seeds in the
#                            repository, in a fixed order, a fixed random seed (FUZZ_SEED, 1) and
#                            a fixed number of runs (FUZZ_RUNS, 200000). Comparison operands are
#                            not traced: they hold addresses, which differ from run to run.
set -uo pipefail
cd "$(dirname "$0")/.."
fixed=0
[ "${1:-}" = --fixed ] && fixed=1
FUZZ_SECONDS=${FUZZ_SECONDS:-10}
FUZZ_SEED=${FUZZ_SEED:-1}
FUZZ_RUNS=${FUZZ_RUNS:-200000}
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "${JOBS:-$(nproc)}" || exit 1
status=0
for f in build/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=${f##*/fuzz_}; seeds=fuzz/corpus/$name; log=build/fuzz/$name.log
  artifacts=build/fuzz/artifacts/$name/
  mkdir -p "$artifacts"
  args=(-timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts")
  if [ $fixed = 1 ]; then
    list=build/fuzz/seeds-$name.txt
    { [ -d "$seeds" ] && find "$seeds" -type f | LC_ALL=C sort | paste -sd, - | tr -d "\n"; } >"$list"
    args+=(-seed="$FUZZ_SEED" -runs="$FUZZ_RUNS" -use_cmp=0)
    [ -s "$list" ] && args+=(-seed_inputs=@"$list")
  else
    work=build/fuzz/corpus-$name
    mkdir -p "$work"
    args+=(-max_total_time="$FUZZ_SECONDS" "$work")
    [ -d "$seeds" ] && args+=("$seeds")
  fi
  if "$f" "${args[@]}" >"$log" 2>&1; then
    echo "fuzz $name: ok ($(grep -oE 'Done [0-9]+ runs' "$log" | tail -1))"
  else
    echo "fuzz $name: FAILED (log $log, input in $artifacts)"; tail -n 40 "$log"; status=1
  fi
done
exit $status
