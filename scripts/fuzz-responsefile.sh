#!/usr/bin/env bash
# Builds the response-file fuzz target with clang (libFuzzer, ASan, UBSan) in
# build/fuzz and runs it for the given number of seconds (default 20), starting
# from the committed seed corpus. Findings are written to build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
scripts/ensure-deps.sh

build=build/fuzz
sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKV7_FUZZ=ON -DKV7_BUILD_TESTS=OFF -DKV7_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target responsefile_fuzzer -j2 >/dev/null

# The seeds stay as committed; what the run learns goes to a scratch corpus.
corpus="$build/corpus"
findings="$build/findings"
mkdir -p "$corpus" "$findings"
cp responsefile/fuzz/corpus/* "$corpus/"
"$build/bin/responsefile_fuzzer" "$corpus" -max_total_time="$seconds" -max_len=8192 \
  -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1
