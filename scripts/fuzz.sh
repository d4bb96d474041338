#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each on its seed corpus.
#   bash scripts/fuzz.sh [SECONDS_PER_TARGET]     (default 300)
# TARVELLO_FUZZERS="A B" runs only those targets. Ends with a table of executions per target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTARVELLO_FUZZ=ON -DTARVELLO_GUI=OFF -DTARVELLO_BENCH=OFF -DTARVELLO_WERROR=ON >/dev/null
fuzzers=${TARVELLO_FUZZERS:-$(ls tests/fuzz/*.cpp | xargs -n1 basename | sed 's/\.cpp$//')}
# shellcheck disable=SC2086
cmake --build build-fuzz --target $fuzzers
summary="| Target | Executions | Seconds | Result |"$'\n'"|---|---:|---:|---|"
total=0
for f in $fuzzers; do
  seeds=tests/fuzz/corpus/$f
  work=build-fuzz/corpus/$f
  mkdir -p "$work"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$work"/ 2>/dev/null || true
  echo "== $f (${seconds}s)"
  status=0
  "build-fuzz/tests/$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/ "$work" \
    >"build-fuzz/$f.log" 2>&1 || status=$?
  grep -E '^(Done|==[0-9]+==ERROR|SUMMARY)' "build-fuzz/$f.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "build-fuzz/$f.log"
    echo "fuzz target $f failed"
    exit 1
  fi
  # libFuzzer ends a clean run with "Done N runs in S second(s)".
  runs='' secs=''
  read -r runs secs < <(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 \2/p' "build-fuzz/$f.log" | tail -n 1) || true
  total=$((total + ${runs:-0}))
  summary+=$'\n'"| $f | ${runs:-?} | ${secs:-?} | no crash, leak or sanitizer report |"
done
echo "$summary"
echo "Total executions: $total"
