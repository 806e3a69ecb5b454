# shellcheck shell=bash disable=SC2034
# Sourced by the Wine tests that run the cross-built Windows programs: finds
# the Windows build's image named by KV7_WINDOWS_IMAGE_DIR.
#
#   source windows_image.sh
#   windows_image_or_skip setup.exe kv7inventory.exe ...   # sets windows_image
#
# Without KV7_WINDOWS_IMAGE_DIR the test is skipped: it exits with
# kv7_skip_code, which CTest reports as "Skipped", and says why. A directory
# that is named but lacks a program is an error, not a skip.

readonly kv7_skip_code=77

windows_image_or_skip() { # files the image must hold...
  local dir=${KV7_WINDOWS_IMAGE_DIR:-}
  if [[ -z $dir ]]; then
    echo "SKIPPED: KV7_WINDOWS_IMAGE_DIR is not set, so there are no Windows programs to test." \
      "Build them (cmake --preset windows && cmake --build build/windows) and set" \
      "KV7_WINDOWS_IMAGE_DIR=\$PWD/build/windows/image, as scripts/test.sh does."
    exit "$kv7_skip_code"
  fi
  local file
  for file in "$@"; do
    [[ -e $dir/$file ]] || {
      echo "KV7_WINDOWS_IMAGE_DIR=$dir holds no $file: is it the Windows build's image?" >&2
      exit 1
    }
  done
  windows_image=$(cd "$dir" && pwd)
}
