#!/usr/bin/env bash
# Builds every libFuzzer harness (cmake/Kv7Fuzzing.cmake) with clang in
# build/fuzz, the harnesses and every library instrumented with ASan and
# UBSan, and runs them one after the other, each for the given number of
# seconds (default 20) from its committed seed corpus.
#
#   scripts/fuzz.sh [--build DIR] [SECONDS] [HARNESS ...]
#                                    (default: every harness)
#
# --build DIR runs the harnesses of a build already configured for them
# (KV7_FUZZ and KV7_SANITIZE on, with clang: the "sanitize" preset, which
# scripts/test.sh builds anyway) instead of configuring build/fuzz, a
# RelWithDebInfo build without the tests, made for long campaigns.
#
# A harness goes on after a finding, so that a long run counts them all.
# What a run learns goes to build/fuzz/corpus/HARNESS (the seeds stay as
# committed); each input that made it fail goes to build/fuzz/findings/
# HARNESS/ and is run once more to see where it failed: in this project's
# code (a fault), or inside a system library the project uses (libmsi on a
# damaged package, counted apart). A table of executions and findings per
# harness ends the output and is kept in build/fuzz/summary.txt. The exit
# code is 1 when any harness found a fault in this project's code.
set -euo pipefail
cd "$(dirname "$0")/.."
build=
if [[ ${1:-} == --build ]]; then
  build=${2:?"--build needs a build directory"}
  shift 2
fi
seconds="${1:-20}"
shift || true
scripts/ensure-deps.sh

if [[ -z $build ]]; then
  build=build/fuzz
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKV7_FUZZ=ON -DKV7_SANITIZE=ON -DKV7_BUILD_TESTS=OFF -DKV7_BUILD_BENCH=OFF >/dev/null
fi
mkdir -p "$build"
cmake --build "$build" --target fuzzers -j"$(nproc)" >"$build/build.log" 2>&1 ||
  { tail -40 "$build/build.log" >&2; echo "error: the fuzz harnesses did not build" >&2; exit 1; }

# Where a finding failed: "system" when, going down its report's stack, a
# frame of the libraries that read packages (libmsi, libgsf, glib) comes
# before any frame of this project's sources; else "project".
whereItFails() {
  local report frame
  report=$("$1" "$2" 2>&1 || true)
  while IFS= read -r frame; do
    if [[ $frame =~ $PWD/[^\ ]*\.(cc|h):[0-9]+ ]]; then
      echo project
      return
    fi
    if [[ $frame =~ /lib(msi|gsf-1|glib-2\.0|gobject-2\.0)\.so ]]; then
      echo system
      return
    fi
  done < <(grep -E '^ *#[0-9]+ ' <<<"$report")
  echo project
}

wanted=("$@")
summary="$build/summary.txt"
printf '%-26s %12s %8s %9s %9s\n' harness executions seconds faults "in libs" >"$summary"
failed=0
while IFS=$'\t' read -r name seeds; do
  if ((${#wanted[@]})) && [[ ! " ${wanted[*]} " == *" $name "* ]]; then continue; fi
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  started="$build/logs/$name.started"
  touch "$started"
  echo "== $name: ${seconds} s"
  # The learned corpus first: new inputs are written there, never among
  # the seeds. Each job runs in a child process, so a finding ends one job,
  # not the run.
  "$build/bin/$name" "$corpus" "$seeds" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 \
    -ignore_ooms=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" >"$log" 2>&1 || true
  executions=$(sed -n 's/^#\([0-9]*\): cov:.*/\1/p' "$log" | tail -1)
  took=$(sed -n 's/^INFO: exiting: .* time: \([0-9]*\)s.*/\1/p' "$log" | tail -1)
  faults=0
  inLibraries=0
  while IFS= read -r finding; do
    if [[ $(whereItFails "$build/bin/$name" "$finding") == system ]]; then
      inLibraries=$((inLibraries + 1))
    else
      faults=$((faults + 1))
      echo "FAULT: $finding"
      "$build/bin/$name" "$finding" 2>&1 | grep -m1 -A12 -E 'ERROR|runtime error' || true
    fi
  done < <(find "$findings" -type f -newer "$started")
  ((faults == 0)) || failed=1
  printf '%-26s %12s %8s %9s %9s\n' "$name" "${executions:-?}" "${took:-$seconds}" "$faults" \
    "$inLibraries" >>"$summary"
done <"$build/fuzzers.txt"
cat "$summary"
exit "$failed"
