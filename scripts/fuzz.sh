#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for SECONDS (default
# 60) each, from its committed seeds (tests/fuzz/corpus/<name>) plus what
# earlier runs found (build/fuzz/corpus/<name>). Prints each target's
# executions and coverage; fails when a target crashes, leaks or hangs, with
# the input that did it under build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

cmake --preset fuzz
cmake --build --preset fuzz

build=build/fuzz
mkdir -p "$build/artifacts"
failed=0
for fuzzer in "$build"/bin/*_fuzzer; do
  name="$(basename "$fuzzer")"
  corpus="${name%_fuzzer}"
  found="$build/corpus/$corpus"
  log="$build/$name.log"
  mkdir -p "$found"
  echo "== $name: $seconds s"
  status=0
  # New inputs go to the first directory, so the committed seeds stay as
  # they are. A walk that does not end within the timeout counts as a hang.
  "$fuzzer" "$found" "tests/fuzz/corpus/$corpus" -max_total_time="$seconds" -timeout=25 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" >"$log" 2>&1 || status=$?
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  coverage="$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)"
  echo "   executions ${executions:-?}, ${coverage:-no coverage line}, corpus $(find "$found" -type f | wc -l) found"
  if [ "$status" -ne 0 ]; then
    echo "   FAILED (exit $status); the end of $log:"
    tail -40 "$log"
    failed=1
  fi
done
exit "$failed"
