#!/usr/bin/env bash
# Installs the Debian packages that a set of tasks needs, when they are missing.
#
#   scripts/ensure-deps.sh [run|test] [--dry-run]
#
#   run        the native build and runs of its programs on the emulated
#              Windows machine (scripts/run.sh)
#   test       everything: also the test suites, the sanitizers, fuzzing, the
#              Windows cross build and Wine (scripts/test.sh; the default)
#   --dry-run  list the set's packages and those missing here; install nothing
set -euo pipefail

set_name='test'
dry_run=false
for arg in "$@"; do
  case $arg in
    run | test) set_name=$arg ;;
    --dry-run) dry_run=true ;;
    *)
      echo "usage: $0 [run|test] [--dry-run]" >&2
      exit 64
      ;;
  esac
done

# One line per need: its set, a command that succeeds when it is met, and
# the packages that meet it.
needs=(
  'run|command -v cmake|cmake'
  'run|command -v g++|g++'
  'run|command -v iconv|libc-bin'
  'run|command -v wixl|wixl'
  'run|test -f /usr/include/libmsi-1.0/libmsi.h|libmsi-dev'
  # libmsi's pkg-config file needs glib's and zlib's.
  'run|test -f /usr/include/glib-2.0/gio/gio.h|libglib2.0-dev'
  'run|test -f /usr/include/zlib.h|zlib1g-dev'
  'run|command -v pkg-config|pkg-config'
  # libgsf reads and writes the compound files of packages and transforms.
  'run|test -f /usr/include/libgsf-1/gsf/gsf-infile-msole.h|libgsf-1-dev'
  'run|test -f /usr/include/nlohmann/json.hpp|nlohmann-json3-dev'
  'test|command -v clang++|clang'
  'test|test -f /usr/include/gtest/gtest.h|libgtest-dev libgmock-dev'
  'test|test -f /usr/include/benchmark/benchmark.h|libbenchmark-dev'
  'test|command -v x86_64-w64-mingw32-g++-posix|g++-mingw-w64-x86-64'
  'test|command -v msiinfo|msitools'
  'test|command -v wine|wine wine64'
  'test|command -v clang-format|clang-format'
  # setup_startup_bench counts the host stat calls of one setup run with it.
  'test|command -v strace|strace'
  # The Wine suite of what a person sees: a real X display, and a Japanese
  # locale compiled for Wine to take its code page from.
  'test|command -v Xvfb|xvfb'
  'test|test -f /usr/share/i18n/locales/ja_JP|locales'
  # The Windows programs' resources are read back with wrestool.
  'test|command -v wrestool|icoutils'
)

all=()
need=()
for line in "${needs[@]}"; do
  IFS='|' read -r set check packages <<<"$line"
  [[ $set == run || $set_name == test ]] || continue
  read -ra list <<<"$packages"
  all+=("${list[@]}")
  eval "$check" >/dev/null 2>&1 || need+=("${list[@]}")
done

install() {
  echo "Installing: $*"
  if [[ $(id -u) -ne 0 ]]; then
    echo "error: missing packages ($*) and not root; install them and run again" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || { echo "error: apt-get update failed" >&2; exit 1; }
  apt-get install -y -qq "$@" >/dev/null || { echo "error: could not install $*" >&2; exit 1; }
}

# libFuzzer's runtime comes in a package named after clang's major version,
# so it is looked for beside whichever clang is installed, once clang is.
fuzzer_runtime_package() {
  local major
  major=$(clang -dumpversion 2>/dev/null | cut -d. -f1)
  [[ -n $major ]] || { echo "libclang-rt-<clang's major version>-dev"; return; }
  [[ -f $(clang -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a ]] ||
    echo "libclang-rt-$major-dev"
}

if $dry_run; then
  if [[ $set_name == test ]]; then
    all+=("libclang-rt-<clang's major version>-dev")
    rt=$(fuzzer_runtime_package)
    if [[ -n $rt ]]; then need+=("$rt"); fi
  fi
  echo "$set_name: ${all[*]}"
  echo "missing here: ${need[*]:-none}"
  exit 0
fi

if ((${#need[@]})); then
  install "${need[@]}"
fi
if [[ $set_name == test ]]; then
  rt=$(fuzzer_runtime_package)
  if [[ -n $rt ]]; then install "$rt"; fi
fi
