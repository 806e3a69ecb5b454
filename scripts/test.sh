#!/usr/bin/env bash
# Builds and runs every test suite: native (with the Windows programs under
# Wine), sanitizers (ASan+UBSan, and TSan for the process runner), a short
# run of every fuzz harness, and the Windows cross build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh

jobs=$(nproc)

echo "== native build"
cmake --preset native >/dev/null
cmake --build build/native -j"$jobs"

echo "== Windows cross build"
cmake --preset windows >/dev/null
cmake --build build/windows -j"$jobs"
export KV7_WINDOWS_IMAGE_DIR=$PWD/build/windows/image

echo "== native tests (the Windows programs run under Wine)"
ctest --test-dir build/native --output-on-failure -j"$jobs"

echo "== sanitizer build (ASan + UBSan) and tests"
cmake --preset sanitize >/dev/null
cmake --build build/sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs" -LE wine

echo "== ThreadSanitizer: process runner"
cmake --preset tsan >/dev/null
cmake --build build/tsan -j"$jobs" --target process_tests child_helper
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -R '^ProcessRunner'

echo "== fuzzing every parser and reader (a short run of each harness)"
scripts/fuzz.sh 5

echo "all test suites passed"
