#!/usr/bin/env bash
# Builds every libFuzzer harness (cmake/Kv7Fuzzing.cmake) with clang in
# build/fuzz, the harnesses and every library instrumented with ASan and
# UBSan, and runs them one after the other, each for the given number of
# seconds (default 20) from its committed seed corpus.
#
#   scripts/fuzz.sh [SECONDS] [HARNESS ...]     (default: every harness)
#
# What a run learns goes to build/fuzz/corpus/HARNESS (the seeds stay as
# committed); an input that makes a harness fail goes to
# build/fuzz/findings/HARNESS/. A table of executions and findings per
# harness ends the output and is kept in build/fuzz/summary.txt. The exit
# code is 1 when any harness found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
scripts/ensure-deps.sh

build=build/fuzz
sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKV7_FUZZ=ON -DKV7_BUILD_TESTS=OFF -DKV7_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target fuzzers -j2 >/dev/null

wanted=("$@")
summary="$build/summary.txt"
printf '%-26s %14s %8s  %s\n' harness executions seconds result >"$summary"
failed=0
while IFS=$'\t' read -r name seeds flags; do
  if ((${#wanted[@]})) && [[ ! " ${wanted[*]} " == *" $name "* ]]; then continue; fi
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  echo "== $name: ${seconds} s"
  started="$build/logs/$name.started"
  touch "$started"
  status=0
  # The learned corpus first: new inputs are written there, never among
  # the seeds.
  # shellcheck disable=SC2086 # the harness's own flags, split at blanks
  "$build/bin/$name" "$corpus" "$seeds" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 $flags >"$log" 2>&1 ||
    status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  if ((status == 0)); then
    result="no finding"
  else
    failed=1
    found=$(find "$findings" -type f -newer "$started" | head -1)
    result="FAULT (exit $status) ${found:-see $log}"
    tail -40 "$log"
  fi
  printf '%-26s %14s %8s  %s\n' "$name" "${executions:-?}" "${took:-$seconds}" "$result" \
    >>"$summary"
done <"$build/fuzzers.txt"
cat "$summary"
exit "$failed"
