#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v clang++ >/dev/null || need+=(clang)
[[ -f /usr/include/gtest/gtest.h ]] || need+=(libgtest-dev libgmock-dev)
[[ -f /usr/include/benchmark/benchmark.h ]] || need+=(libbenchmark-dev)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64)
ls /usr/lib/llvm-14/lib/clang/14*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
  need+=(libclang-rt-14-dev)
command -v iconv >/dev/null || need+=(libc-bin)
command -v wixl >/dev/null || need+=(wixl)
command -v msiinfo >/dev/null || need+=(msitools)
[[ -f /usr/include/libmsi-1.0/libmsi.h ]] || need+=(libmsi-dev)
[[ -f /usr/include/libgsf-1/gsf/gsf-infile.h ]] || need+=(libgsf-1-dev)
# libmsi's pkg-config file needs glib's and zlib's.
[[ -f /usr/include/glib-2.0/gio/gio.h ]] || need+=(libglib2.0-dev)
[[ -f /usr/include/zlib.h ]] || need+=(zlib1g-dev)
command -v pkg-config >/dev/null || need+=(pkg-config)
command -v wine >/dev/null || need+=(wine wine64)
command -v clang-format >/dev/null || need+=(clang-format)

if ((${#need[@]})); then
  echo "Installing: ${need[*]}"
  if [[ $(id -u) -ne 0 ]]; then
    echo "error: missing packages (${need[*]}) and not root; install them and run again" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || { echo "error: apt-get update failed" >&2; exit 1; }
  apt-get install -y -qq "${need[@]}" >/dev/null ||
    { echo "error: could not install ${need[*]}" >&2; exit 1; }
fi
