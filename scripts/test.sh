#!/usr/bin/env bash
# Builds and runs every test suite: native (with the Windows programs under
# Wine), sanitizers (ASan+UBSan, and TSan for the process runner), a short
# run of every fuzz harness, and the Windows cross build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh

jobs=$(nproc)
# Each phase says when it starts, so that a slow one shows in the log.
phase() { printf '== %s (at %dm%02ds)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60)); }

# Wine suites have failed now and then on a loaded machine and passed when
# run again (in one of about ten whole runs: a value that reg did not
# answer, and CreateProcess failing in setup.exe with 5082). Wine suites that
# failed run once more, and the log says which; any other failure, or a
# second one, ends the run.
rerun_failed_wine_suites_once() {
  local failed=build/native/Testing/Temporary/LastTestsFailed.log wine_tests name
  [[ -s $failed ]] || return 1
  wine_tests=$(ctest --test-dir build/native -N -L wine | sed -n 's/^ *Test *#[0-9]*: //p')
  while IFS=: read -r _ name; do
    grep -qxF "$name" <<<"$wine_tests" || return 1
  done <"$failed"
  echo "warning: Wine suites failed; they run once more: $(cut -d: -f2 "$failed" | paste -sd' ')" >&2
  ctest --test-dir build/native --output-on-failure --rerun-failed | tee -a "$native_log"
}

phase "native build"
cmake --preset native >/dev/null
cmake --build build/native -j"$jobs"

phase "Windows cross build, with the sanitizer builds beside it and the native tests"
cmake --preset windows >/dev/null
cmake --preset sanitize >/dev/null
cmake --preset tsan >/dev/null
# The native tests mostly wait, on Wine and on the programs they start, so
# the sanitizer builds take the cores they leave idle, at a lower priority
# so that the tests' own time limits are not at stake. Their output goes to
# a log shown when they fail.
sanitizer_log=build/sanitizer-builds.log
# In a session of their own, so that a run that fails early stops their
# compilers too, not only the shell that started them.
setsid bash -c 'nice -n 10 cmake --build build/sanitize -j"$1" &&
  nice -n 10 cmake --build build/tsan -j"$1" --target process_tests child_helper' \
  sanitizer-builds "$jobs" >"$sanitizer_log" 2>&1 &
sanitizer_builds=$!
# Under set -e a failing command here would become the script's exit
# status, and by then the builds have usually ended: nothing left to stop.
trap 'kill -- -"$sanitizer_builds" 2>/dev/null || true' EXIT
cmake --build build/windows -j"$jobs"
export KV7_WINDOWS_IMAGE_DIR=$PWD/build/windows/image

phase "native tests (the Windows programs run under Wine)"
# A test skips only when something it needs is missing, which here is an
# error: the Wine suites must run, and must be there at all.
wine_tests=$(ctest --test-dir build/native -N -L wine | sed -n 's/^Total Tests: //p')
if [[ ${wine_tests:-0} == 0 ]]; then
  echo "error: no Wine tests are registered (is Wine installed?)" >&2
  exit 1
fi
native_log=build/native/native-tests.log
if ! ctest --test-dir build/native --output-on-failure -j"$jobs" | tee "$native_log"; then
  rerun_failed_wine_suites_once || exit 1
fi
if grep -q '\*\*\*Skipped' "$native_log"; then
  echo "error: tests were skipped:" >&2
  grep '\*\*\*Skipped' "$native_log" >&2
  exit 1
fi

phase "sanitizer tests (ASan + UBSan)"
if ! wait "$sanitizer_builds"; then
  tail -60 "$sanitizer_log" >&2
  echo "error: the sanitizer builds failed (whole log: $sanitizer_log)" >&2
  exit 1
fi
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs" -LE wine

phase "ThreadSanitizer: process runner"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -R '^ProcessRunner'

phase "fuzzing every parser and reader (a short run of each harness)"
scripts/fuzz.sh --build build/sanitize --jobs "$jobs" 4

phase "all test suites passed"
