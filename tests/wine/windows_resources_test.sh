#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# The Windows resources of the programs of the image, read back with a PE
# resource reader (wrestool): every program carries a version resource with
# the driver package's version, in its fixed part and in its texts, its own
# file name and the product's names, and the icon; setup.exe carries an
# application manifest for Windows 7 to 11 with its execution level, DPI
# awareness and the common controls 6.
#
#   windows_resources_test.sh <driver.wxs>
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../checks.sh
source "$here/../checks.sh"
# shellcheck source=windows_image.sh
source "$here/windows_image.sh"

[[ $# == 1 ]] || { echo "usage: $0 <driver.wxs>" >&2; exit 1; }
wxs=$1
command -v wrestool >/dev/null || { echo "wrestool missing: apt-get install icoutils" >&2; exit 1; }
command -v msiinfo >/dev/null || { echo "msiinfo missing: apt-get install msitools" >&2; exit 1; }
readonly package_name='QOR Telvar Driver for ODBC, CLI, and .NET.msi'
windows_image_or_skip setup.exe rspcheck.exe kv7inventory.exe "$package_name"

# The version a tool that detects by file version must read: the package's
# ProductVersion (major.minor.build) and the package source's fix level.
product_version=$(msiinfo export "$windows_image/$package_name" Property | tr -d '\r' |
  sed -n 's/^ProductVersion\t//p')
fix_level=$(sed -n 's/.*<?define FixLevel = "\([0-9]*\)"?>.*/\1/p' "$wxs")
version="$product_version.$fix_level"
expect "the package's version has four parts" "$(tr -cd . <<<"$version")" ...

# The version resource's texts: each key, then its value.
version_value() { # program, key
  wrestool -x --raw --type=16 "$windows_image/$1" | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n' |
    awk -v key="$2" 'found && NF { print; exit } index($0, key) && substr($0, length($0) - length(key) + 1) == key { found = 1 }'
}
# The fixed part's file and product versions, as dotted numbers.
fixed_versions() { # program
  local -a w
  read -ra w <<<"$(wrestool -x --raw --type=16 "$windows_image/$1" | od -An -v -tx1 | tr -s ' \n' ' ')"
  local i
  for ((i = 0; i + 24 < ${#w[@]}; ++i)); do
    if [[ ${w[i]}${w[i + 1]}${w[i + 2]}${w[i + 3]} == bd04effe ]]; then
      word() { echo $((16#${w[$1 + 1]}${w[$1]})); }
      printf '%s.%s.%s.%s %s.%s.%s.%s\n' "$(word $((i + 10)))" "$(word $((i + 8)))" \
        "$(word $((i + 14)))" "$(word $((i + 12)))" "$(word $((i + 18)))" "$(word $((i + 16)))" \
        "$(word $((i + 22)))" "$(word $((i + 20)))"
      return
    fi
  done
  echo '<no fixed version>'
}

for program in setup.exe rspcheck.exe kv7inventory.exe; do
  expect "$program: fixed file and product version" "$(fixed_versions "$program")" \
    "$version $version"
  expect "$program: FileVersion" "$(version_value "$program" FileVersion)" "$version"
  expect "$program: ProductVersion" "$(version_value "$program" ProductVersion)" "$version"
  expect "$program: OriginalFilename" "$(version_value "$program" OriginalFilename)" "$program"
  expect "$program: ProductName" "$(version_value "$program" ProductName)" \
    'QOR Telvar Driver for ODBC, CLI, and .NET'
  expect "$program: CompanyName" "$(version_value "$program" CompanyName)" QOR
  expect_true "$program: a FileDescription" test -n "$(version_value "$program" FileDescription)"
  expect_true "$program: an icon" test -n "$(wrestool -l --type=14 "$windows_image/$program")"
done
expect "setup.exe: FileDescription" "$(version_value setup.exe FileDescription)" \
  'QOR Telvar Driver Setup'

manifest=$(wrestool -x --raw --type=24 --name=1 "$windows_image/setup.exe" | tr -d '\r')
has() { grep -qF -- "$1" <<<"$manifest"; }
for os in '35138b9a-5d96-4fbd-8e2d-a2440225f93a Windows 7' \
  '4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 Windows 8' \
  '1f676c76-80e1-4239-95bb-83d0f6d0da78 Windows 8.1' \
  '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a Windows 10 and 11'; do
  expect_true "setup.exe manifest: supportedOS ${os#* }" has "<supportedOS Id=\"{${os%% *}}\"/>"
done
expect_true "setup.exe manifest: runs as invoked" \
  has '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
expect_true "setup.exe manifest: per-monitor DPI awareness" has '>PerMonitorV2, PerMonitor</dpiAwareness>'
expect_true "setup.exe manifest: common controls 6" \
  has 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
expect_true "setup.exe manifest: the package's version" has "version=\"$version\""

checks_end
