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
# A build of its own (build/run), without the tests, so that it needs none of
# their tools and never reconfigures the test build (build/native).
cmake --preset run >/dev/null
cmake --build build/run -j"$(nproc)" \
  --target setup msiexec stage_image driver_package rspcheck kv7inventory >/dev/null
exec build/run/image/setup "$@"
