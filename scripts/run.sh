#!/usr/bin/env bash
# Builds the launcher and runs it from its staged installation image on the
# emulated Windows machine (KV7_MACHINE, by default $HOME/.kv7/machine).
# Arguments are passed to setup, for example: scripts/run.sh -showcommand
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
cmake --preset native >/dev/null
cmake --build build/native -j"$(nproc)" >/dev/null
exec build/native/image/setup "$@"
