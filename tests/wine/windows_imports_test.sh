#!/usr/bin/env bash
# The Windows programs a user receives need nothing but Windows: each imports
# only libraries that Windows loads from its system directory whatever lies
# beside the program (its known libraries). A library imported by name from
# anywhere else (a compiler runtime, msi.dll or shfolder.dll, which the
# programs load at run time from the system directory) would be looked for
# beside the program first.
#
#   windows_imports_test.sh <objdump>
#
# The programs come from KV7_WINDOWS_IMAGE_DIR (the Windows build's image);
# without it the test is skipped.
set -uo pipefail

objdump=${1:?usage: $0 <objdump>}
# shellcheck source=windows_image.sh
source "$(dirname "$0")/windows_image.sh"
windows_image_or_skip
dir=${windows_image:?}

# Windows' known libraries (and ntdll, which every process has loaded).
known=" advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ntdll.dll
  ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shell32.dll
  shlwapi.dll user32.dll ws2_32.dll "

passed=0
failed=0
for program in setup.exe rspcheck.exe kv7inventory.exe; do
  path=$dir/$program
  if [[ ! -f $path ]]; then
    echo "FAIL $program: not in $dir"
    failed=$((failed + 1))
    continue
  fi
  imports=$("$objdump" -p "$path" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
  if [[ -z $imports ]]; then
    echo "FAIL $program: no import table found"
    failed=$((failed + 1))
    continue
  fi
  for library in $imports; do
    if [[ $known == *" $library "* ]]; then
      passed=$((passed + 1))
    else
      echo "FAIL $program imports $library, which is not one of Windows' known libraries"
      failed=$((failed + 1))
    fi
  done
done
echo "$passed passed, $failed failed"
((failed == 0))
