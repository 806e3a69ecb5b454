#!/usr/bin/env bash
# Builds every libFuzzer harness (cmake/Kv7Fuzzing.cmake) with clang in
# build/fuzz, the harnesses and every library instrumented with ASan and
# UBSan, and runs them one after the other, each for the given number of
# seconds (default 20) from its committed seed corpus.
#
#   scripts/fuzz.sh [--build DIR] [--jobs N] [SECONDS] [HARNESS ...]
#                                    (default: every harness)
#
# --jobs N runs N harnesses at a time (default 1: a long campaign's figures
# are then those of one harness on the machine).
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
jobs=1
while [[ ${1:-} == --* ]]; do
  case $1 in
    --build) build=${2:?"--build needs a build directory"} ;;
    --jobs) jobs=${2:?"--jobs needs a number"} ;;
    *) echo "usage: $0 [--build DIR] [--jobs N] [SECONDS] [HARNESS ...]" >&2; exit 64 ;;
  esac
  shift 2
done
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

# Runs one harness; its messages go to logs/NAME.report and its row of the
# summary to logs/NAME.row. Fails when it found a fault in this project.
fuzz_one() { # name, seed corpus
  local name=$1 seeds=$2
  local corpus="$build/corpus/$name" findings="$build/findings/$name"
  local log="$build/logs/$name.log" report="$build/logs/$name.report"
  local started="$build/logs/$name.started"
  mkdir -p "$corpus" "$findings" "$build/logs"
  touch "$started"
  : >"$report"
  # The learned corpus first: new inputs are written there, never among
  # the seeds. Each job runs in a child process, so a finding ends one job,
  # not the run.
  "$build/bin/$name" "$corpus" "$seeds" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 \
    -ignore_ooms=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" >"$log" 2>&1 || true
  local executions took faults=0 inLibraries=0 finding
  executions=$(sed -n 's/^#\([0-9]*\): cov:.*/\1/p' "$log" | tail -1)
  took=$(sed -n 's/^INFO: exiting: .* time: \([0-9]*\)s.*/\1/p' "$log" | tail -1)
  while IFS= read -r finding; do
    if [[ $(whereItFails "$build/bin/$name" "$finding") == system ]]; then
      inLibraries=$((inLibraries + 1))
    else
      faults=$((faults + 1))
      {
        echo "FAULT: $finding"
        "$build/bin/$name" "$finding" 2>&1 | grep -m1 -A12 -E 'ERROR|runtime error' || true
      } >>"$report"
    fi
  done < <(find "$findings" -type f -newer "$started")
  printf '%-26s %12s %8s %9s %9s\n' "$name" "${executions:-?}" "${took:-$seconds}" "$faults" \
    "$inLibraries" >"$build/logs/$name.row"
  ((faults == 0))
}

summary="$build/summary.txt"
printf '%-26s %12s %8s %9s %9s\n' harness executions seconds faults "in libs" >"$summary"
names=()
while IFS=$'\t' read -r name seeds; do
  if ((${#wanted[@]})) && [[ ! " ${wanted[*]} " == *" $name "* ]]; then continue; fi
  names+=("$name")
  echo "== $name: ${seconds} s"
  # At most $jobs harnesses at a time.
  while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
  fuzz_one "$name" "$seeds" &
done <"$build/fuzzers.txt"
wait
failed=0
for name in "${names[@]}"; do
  cat "$build/logs/$name.report"
  if [[ -s "$build/logs/$name.row" ]]; then
    cat "$build/logs/$name.row" >>"$summary"
    [[ $(awk '{print $4}' "$build/logs/$name.row") == 0 ]] || failed=1
  else
    echo "error: $name ended without a result" >&2
    failed=1
  fi
done
cat "$summary"
exit "$failed"
