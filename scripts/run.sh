#!/usr/bin/env bash
# Builds the launcher and runs it from its staged installation image on the
# emulated Windows machine (KV7_MACHINE, by default $HOME/.kv7/machine).
# Arguments are passed to setup, for example: scripts/run.sh -showcommand
#
# Installs and builds only what running needs: the test suites' tools (Wine,
# the Windows cross compiler, GoogleTest, ...) come with scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh run
# Without GoogleTest (a first run before scripts/test.sh) the tests are left
# out of the configuration, which otherwise needs it; scripts/test.sh turns
# them back on.
tests=ON
[[ -f /usr/include/gtest/gtest.h ]] || tests=OFF
cmake --preset native -DKV7_BUILD_TESTS=$tests >/dev/null
cmake --build build/native -j"$(nproc)" \
  --target setup msiexec stage_image driver_package rspcheck kv7inventory >/dev/null
exec build/native/image/setup "$@"
