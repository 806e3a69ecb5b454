#!/usr/bin/env bash
# The long kill campaign of the emulated installer: three installations (a
# first copy with a language transform, a further copy in an instance slot,
# a reinstall that replaces files) and a removal of that further copy, each
# killed at every one of its flushes to the disk and at every removal after
# its commit, the run that recovers after it killed in turn at every one of
# its own removals, and the run after that one again at every one of its
# removals; after one more run the machine must be as before or as after
# the installation (or removal), with nothing half-written and none of the
# installer's own files left.
#
#   scripts/kill-campaign.sh
#
# The stops come from the installer's own hook (KV7_MSIEXEC_STOP_AT); the
# test suite runs a few of the same cases (KillCampaignTest). Prints the
# number of cases, how they ended and the time taken; the exit code is 1
# when any case ended half-way.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
cmake --preset native >/dev/null
cmake --build build/native -j"$(nproc)" --target msiexec msiexec_tests driver_package >/dev/null
KV7_KILL_CAMPAIGN=long KV7_TEST_BIN_DIR=$PWD/build/native/bin KV7_IMAGE_DIR=$PWD/build/native/image \
  build/native/bin/msiexec_tests --gtest_filter='KillCampaignTest.*' --gtest_brief=1
