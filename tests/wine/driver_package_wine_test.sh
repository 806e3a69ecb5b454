#!/usr/bin/env bash
# Installs the driver package with Wine's Windows Installer the way the
# launcher's commands do, and checks what the launcher reads back afterwards:
# the copy's registry entry, its level file, and "InstallLocation" of the
# product. One fresh prefix serves all steps, which build on each other.
#
#   driver_package_wine_test.sh <wine-env.sh> <package.msi> <driver.wxs> <msi_probe.exe>
#
# driver.wxs is built once more as an older package (modification 500) to
# check reinstalling over an older copy.
set -uo pipefail

wine_env=${1:?usage: $0 <wine-env.sh> <package.msi> <driver.wxs> <msi_probe.exe>}
package=${2:?}
source_wxs=${3:?}
probe=${4:?}
for f in "$wine_env" "$package" "$source_wxs" "$probe"; do
  [[ -f $f ]] || { echo "missing: $f" >&2; exit 1; }
done
command -v wixl >/dev/null || { echo "wixl missing: apt-get install wixl" >&2; exit 1; }

work=$(mktemp -d /tmp/kv7-wine-test.XXXXXX)
cleanup() {
  kv7_wine_stop 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The older package keeps the launcher's file name, in a folder of its own.
mkdir -p "$work/older"
older="$work/older/$(basename "$package")"
(cd "$(dirname "$source_wxs")" &&
  wixl -a x64 -D Modification=500 -o "$older" "$(basename "$source_wxs")") ||
  { echo "could not build the older package" >&2; exit 1; }

# shellcheck source=/dev/null
source "$wine_env" "$work/prefix" || exit 1

# shellcheck source=../checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

base_code='{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}'
copies='HKLM\SOFTWARE\QOR\KV7\InstalledCopies'

run_msiexec() { # log name, msiexec arguments; the installer's exit code
  local log=$1
  shift
  kv7_wine msiexec "$@" /l*v "C:\\$log.log" >/dev/null 2>&1
}
install() { # log name, package, properties...
  local log=$1 pkg=$2
  shift 2
  run_msiexec "$log" /i "$(kv7_winpath "$pkg")" /qn "$@"
}
reg_value() { # key name -> the text value, or <missing>
  local out
  out=$(kv7_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^    $2    REG_SZ    //p")
  printf '%s' "${out:-<missing>}"
}
key_exists() { kv7_wine reg query "$1" >/dev/null 2>&1 && echo yes || echo no; }
probe() { # product code, property -> "state=N value" as the launcher would see it
  local out
  out=$(kv7_wine "$probe" "$1" "$2" 2>/dev/null | tr -d '\r')
  printf '%s %s' "$(sed -n 's/^state=//p' <<<"$out")" "$(sed -n "s/^$2[=!]//p" <<<"$out")"
}
exists() { [[ -e $(kv7_hostpath "$1") ]] && echo yes || echo no; }

copy_checks() { # step, copy name, install dir (no trailing backslash), modification
  local step=$1 name=$2 dir=$3 modification=$4
  expect "$step: KV7 Path Name" "$(reg_value "$copies\\$name" "KV7 Path Name")" "$dir"
  expect "$step: Modification" "$(reg_value "$copies\\$name\\CurrentVersion" Modification)" "$modification"
  for value in Version Release "Fix Level" "Service Level"; do
    expect "$step: $value is set" \
      "$([[ $(reg_value "$copies\\$name\\CurrentVersion" "$value") != '<missing>' ]] && echo yes)" yes
  done
  expect "$step: level file" "$(exists "$dir\\cfg\\kv7kvdriver.lvl")" yes
  expect "$step: driver library" "$(exists "$dir\\bin\\kv7drv.dll")" yes
  expect "$step: installed, InstallLocation" "$(probe "$base_code" InstallLocation)" "5 $dir\\"
}

uninstall_key="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$base_code"
# The commands and flags of "Add or Remove Programs" in the uninstall key,
# each as "TYPE data" or <missing>, read with one query.
arp_values() {
  local key name value
  key=$(kv7_wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
  for name in UninstallString ModifyPath NoModify NoRemove NoRepair; do
    value=$(sed -n "s/^    $name    \(REG_[A-Z_]*\)    /\1 /p" <<<"$key")
    printf '%s=%s\n' "$name" "${value:-<missing>}"
  done
}

# 1. First copy from the older package, the directory given with a trailing
#    backslash: the copy's path is registered without it. It may not be
#    removed from "Add or Remove Programs": no command, only NoRemove.
install first "$older" KV7_COPY_NAME=SITEA 'INSTALLDIR=C:\kv7\SITEA\' ARPNOREMOVE=1
expect "first copy: exit code" "$?" 0
copy_checks "first copy" SITEA 'C:\kv7\SITEA' 500
expect "first copy: 64-bit registry view only" "$(key_exists 'HKLM\SOFTWARE\WOW6432Node\QOR')" no
expect "first copy: ARPNOREMOVE" "$(arp_values)" "$(printf '%s\n' UninstallString='<missing>' \
  ModifyPath='<missing>' NoModify='<missing>' NoRemove='REG_DWORD 0x1' NoRepair='<missing>')"

# 2. The launcher's reinstall over a copy below modification 600. Without
#    ARPNOREMOVE the uninstall key offers maintenance in both commands; the
#    NoRemove written before stays.
install reinstall "$package" REINSTALLMODE=vomus REINSTALL=ALL KV7_COPY_NAME=SITEA 'INSTALLDIR=C:\kv7\SITEA'
expect "reinstall: exit code" "$?" 0
copy_checks "reinstall" SITEA 'C:\kv7\SITEA' 600
expect "reinstall: product version" "$(probe "$base_code" VersionString)" "5 11.5.600"
expect "reinstall: the maintenance command" "$(arp_values)" "$(printf '%s\n' \
  "UninstallString=REG_EXPAND_SZ MsiExec.exe /I$base_code" \
  "ModifyPath=REG_EXPAND_SZ MsiExec.exe /I$base_code" NoModify='<missing>' \
  NoRemove='REG_DWORD 0x1' NoRepair='<missing>')"

# 3. A repair that names neither the copy nor the directory, as one from the
#    control panel, repairs that copy and makes no other.
rm -f "$(kv7_hostpath 'C:\kv7\SITEA\bin\kv7drv.dll')"
kv7_wine reg delete "$copies\\SITEA\\CurrentVersion" /v Modification /f >/dev/null 2>&1
install repair "$package" REINSTALLMODE=vomus REINSTALL=ALL
expect "repair: exit code" "$?" 0
copy_checks "repair" SITEA 'C:\kv7\SITEA' 600
expect "repair: no default copy made" "$(key_exists "$copies\\KV7COPY1")" no
expect "repair: nothing in the default directory" "$(exists 'C:\Program Files\QOR')" no

# 4. Removal without properties removes that copy's files and values.
run_msiexec remove /x "$(kv7_winpath "$package")" /qn
expect "remove: exit code" "$?" 0
expect "remove: KV7 Path Name" "$(reg_value "$copies\\SITEA" "KV7 Path Name")" "<missing>"
expect "remove: level file" "$(exists 'C:\kv7\SITEA\cfg\kv7kvdriver.lvl')" no
expect "remove: product state" "$(probe "$base_code" InstallLocation | cut -d' ' -f1)" -1

# 5. An empty copy name (the launcher writes one when the response file has
#    none) and no directory: the default copy in 64-bit Program Files. It may
#    not be modified nor repaired: both commands remove it.
install default "$package" ARPNOMODIFY=1 ARPNOREPAIR=1 KV7_COPY_NAME=
expect "default copy: exit code" "$?" 0
copy_checks "default copy" KV7COPY1 'C:\Program Files\QOR\KV7COPY1' 600
expect "default copy: ARPNOMODIFY and ARPNOREPAIR" "$(arp_values)" "$(printf '%s\n' \
  "UninstallString=REG_EXPAND_SZ MsiExec.exe /X$base_code" \
  "ModifyPath=REG_EXPAND_SZ MsiExec.exe /X$base_code" NoModify='REG_DWORD 0x1' \
  NoRemove='<missing>' NoRepair='REG_DWORD 0x1')"

checks_end
