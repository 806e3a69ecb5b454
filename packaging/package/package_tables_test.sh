#!/usr/bin/env bash
# Reads the built driver package back and checks what the launcher and an
# installed copy rely on: the package's name and identity, a 64-bit per-machine
# layout, the level file's place in the copy, the copy's registry values, and
# the order in which the package's own actions run.
#
#   package_tables_test.sh <package.msi>
set -uo pipefail

pkg=${1:?usage: package_tables_test.sh <package.msi>}
command -v msiinfo >/dev/null && command -v msiextract >/dev/null ||
  { echo "msiinfo/msiextract missing: apt-get install msitools" >&2; exit 1; }
[[ -f $pkg ]] || { echo "no package at $pkg" >&2; exit 1; }

# shellcheck source=../../tests/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/checks.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Rows of a table without its three header lines, tab-separated; each table
# is exported once.
rows() {
  [[ -f $scratch/$1.rows ]] || msiinfo export "$pkg" "$1" | tr -d '\r' | tail -n +4 >"$scratch/$1.rows"
  cat "$scratch/$1.rows"
}
# The value of the column numbered $3 (1-based) of the row whose first column is $2.
cell() { rows "$1" | awk -F'\t' -v key="$2" -v col="$3" '$1 == key { print $col; exit }'; }
property() { cell Property "$1" 2; }
sequence() { cell InstallExecuteSequence "$1" 3; }

# ---- identity
expect "package file name" "$(basename "$pkg")" "QOR Telvar Driver for ODBC, CLI, and .NET.msi"
while IFS='|' read -r name value; do
  expect "property $name" "$(property "$name")" "$value"
done <<'TABLE'
ProductCode|{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}
ProductName|QOR Telvar Driver Package
Manufacturer|QOR
ALLUSERS|1
TABLE
expect "64-bit package" "$(msiinfo suminfo "$pkg" | tr -d '\r' | sed -n 's/^Template: //p')" "x64;1033"
# A default in the Property table would hide the saved copy name on repair.
expect "no default copy name in the Property table" "$(property KV7_COPY_NAME)" ""

version=$(property ProductVersion)
IFS=. read -r major minor build <<<"$version"
expect "version has three numeric fields" "$(grep -cE '^[0-9]+\.[0-9]+\.[0-9]+$' <<<"$version")" "1"

# ---- every component in the 64-bit view (attribute bit 256)
while IFS=$'\t' read -r component _ _ attributes _; do
  expect "component $component is 64-bit" "$(((attributes & 256) != 0))" "1"
done < <(rows Component)

# The saved copy name and directory are read back from the 64-bit view too
# (locator type bit 16), where the copy's values were written.
while IFS=$'\t' read -r signature _ _ _ type; do
  expect "search $signature reads the 64-bit view" "$(((type & 16) != 0))" "1"
done < <(rows RegLocator)
expect "saved copy name searched for" "$(cell AppSearch KV7_SAVED_COPY_NAME 2)" "SavedCopyName"
expect "saved directory searched for" "$(cell AppSearch KV7_SAVED_INSTALLDIR 2)" "SavedInstallDir"

# ---- where the files land, relative to the install directory
dir_path() { # the directory's path from INSTALLDIR down, or from the root
  local id=$1 path=""
  while [[ -n $id && $id != INSTALLDIR && $id != TARGETDIR ]]; do
    path="$(cell Directory "$id" 3)\\$path"
    id=$(cell Directory "$id" 2)
  done
  printf '%s%s' "$id:" "$path"
}
file_path() { # file key -> INSTALLDIR:relative\path
  local component directory
  component=$(cell File "$1" 2)
  directory=$(cell Component "$component" 3)
  printf '%s%s' "$(dir_path "$directory")" "$(cell File "$1" 3)"
}
expect "level file" "$(file_path kv7kvdriver.lvl)" 'INSTALLDIR:cfg\kv7kvdriver.lvl'
expect "driver library" "$(file_path kv7drv.dll)" 'INSTALLDIR:bin\kv7drv.dll'
expect "install directory below 64-bit Program Files" \
  "$(cell Directory "$(cell Directory INSTALLDIR 2)" 2)" "ProgramFiles64Folder"

msiextract -C "$scratch/files" "$pkg" >/dev/null
expect "level file in the cabinet" "$(find "$scratch/files" -path '*/cfg/kv7kvdriver.lvl' | wc -l)" "1"

# ---- the copy's registry values (HKLM = root 2), formatted at install time
copy_key='SOFTWARE\QOR\KV7\InstalledCopies\[KV7_COPY_NAME]'
registry() { # key name -> value
  rows Registry | awk -F'\t' -v key="$1" -v name="$2" '
    { k = $3; sub(/\\$/, "", k) }
    $2 == 2 && k == key && $4 == name { print $5; found = 1; exit }
    END { if (!found) print "<missing>" }'
}
while IFS='|' read -r key name value; do
  expect "registry $key : $name" "$(registry "$key" "$name")" "$value"
done <<TABLE
$copy_key|KV7 Path Name|[KV7_COPY_PATH]
$copy_key\\CurrentVersion|Version|$major
$copy_key\\CurrentVersion|Release|$minor
$copy_key\\CurrentVersion|Modification|$build
$copy_key\\CurrentVersion|Fix Level|0
TABLE
service_level=$(registry "$copy_key\\CurrentVersion" "Service Level")
expect "service level is set" "$([[ -n $service_level && $service_level != '<missing>' ]] && echo yes)" "yes"

# ---- the package's own actions, in the order they need
action() { # custom action -> "property = value" of a property-setting action
  printf '%s = %s' "$(cell CustomAction "$1" 3)" "$(cell CustomAction "$1" 4)"
}
expect "install location from the install directory" "$(action SetInstallLocation)" \
  "ARPINSTALLLOCATION = [INSTALLDIR]"
expect "a new copy's directory is named after it" "$(action DefaultInstallDir)" \
  'INSTALLDIR = [ProgramFiles64Folder]QOR\[KV7_COPY_NAME]'
in_order() { # table, actions...: each runs after the one before it
  local table=$1 previous="" p s
  shift
  for name in "$@"; do
    s=$(cell "$table" "$name" 3)
    expect "$table: $name is sequenced" "$([[ -n $s ]] && echo yes)" "yes"
    if [[ -n $previous ]]; then
      p=$(cell "$table" "$previous" 3)
      expect "$table: $name runs after $previous" "$([[ -n $s && -n $p ]] && ((p < s)) && echo yes)" "yes"
    fi
    previous=$name
  done
}
# The copy name and directory are decided between AppSearch and the launch
# conditions, which refuse a new copy without them, in both sequences: with a
# full interface the client's launch conditions run first.
takes=()
for n in $(seq 1 16); do takes+=("TakeKv7Copy$n"); done
decisions=(RestoreCopyName "${takes[@]}" InstalledCopyName RestoreInstallDir DefaultInstallDir)
for table in InstallExecuteSequence InstallUISequence; do
  in_order "$table" AppSearch "${decisions[@]}" LaunchConditions CostFinalize
done
in_order InstallExecuteSequence CostFinalize SetCopyPath WriteRegistryValues
in_order InstallExecuteSequence CostFinalize SetInstallLocation RegisterProduct
for name in "${decisions[@]}"; do
  expect "same condition for $name in both sequences" "$(cell InstallUISequence "$name" 2)" \
    "$(cell InstallExecuteSequence "$name" 2)"
done

# KV7COPYn is taken only by a new copy without a name, and only while no
# copy's path or version is found under its key.
copies_key='SOFTWARE\QOR\KV7\InstalledCopies'
for n in $(seq 1 16); do
  expect "TakeKv7Copy$n takes its name" "$(action "TakeKv7Copy$n")" "KV7_COPY_NAME = KV7COPY$n"
  expect "TakeKv7Copy$n condition" "$(cell InstallExecuteSequence "TakeKv7Copy$n" 2)" \
    "NOT Installed AND NOT KV7_COPY_NAME AND NOT KV7COPY${n}_IN_USE"
  searched=$(rows AppSearch | awk -F'\t' -v p="KV7COPY${n}_IN_USE" '$1 == p { print $2 }' |
    while read -r signature; do
      printf '%s:%s;' "$(cell RegLocator "$signature" 3)" "$(cell RegLocator "$signature" 4)"
    done)
  expect "KV7COPY$n is looked for" "$searched" \
    "$copies_key\\KV7COPY$n:KV7 Path Name;$copies_key\\KV7COPY$n\\CurrentVersion:Version;"
done
expect "launch conditions" "$(rows LaunchCondition | cut -f1 | sort | tr '\n' ';')" \
  "Installed OR INSTALLDIR OR NOT KV7_COPY_NAME;Installed OR KV7_COPY_NAME;"

checks_end
