#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# A further copy under Wine, through the Windows setup.exe and Wine's own
# msiexec.exe, with the transforms the build stores in the package and stages
# beside it:
#
# - a first copy installs under the driver's base product code;
# - a second copy, named and in a directory of its own and in German, is
#   composed as a new instance in slot 15 with :inst15.mst and 1031.mst, and
#   is installed under slot 15's product code, in German;
# - the base product still belongs to the first copy;
# - Wine records no transforms for the instance, so removing it by its code
#   removes the base product instead (a known limitation, README).
#
# Wine ignores a transform it cannot find or apply and then installs the base
# product again with exit code 0, so every step checks the products'
# registrations, not only exit codes. Wine 8.0 also decides whether a product
# is installed from the package's untransformed product code, so with the
# base product installed a new instance would do nothing: the base's
# uninstall key is hidden for the one installation of the new instance and
# put back after it (see README.md).
#
#   instance_transforms_wine_test.sh <wine-env.sh> <Windows helpers dir>
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_checks.sh
source "$here/wine_checks.sh"

[[ $# == 2 ]] || { echo "usage: $0 <wine-env.sh> <Windows helpers dir>" >&2; exit 1; }
export KV7_WINE_TIMEOUT=${KV7_WINE_TIMEOUT:-120}
wine_checks_begin "$1" "$2"

# Slot 15's product code: the base code with 15 added to its fourth group.
readonly slot15_code='{5C1E7A20-3B9D-4F62-A8E0-0E4B7C93F2A6}'
readonly base_uninstall_key="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$kv7_driver_code"

place_image "$drive/media/image" "$windows_image/$kv7_package_name" \
  "$windows_image/setup.exe" "$windows_image"/*.mst
mkdir -p "$drive/rsp" "$drive/logs"
printf '%s\r\n' 'PROD=QOR_TELVAR_DRIVER' 'LIC_AGREEMENT=ACCEPT' 'FILE=C:\kv7\SITEA' \
  'COPY_NAME=SITEA' >"$drive/rsp/sitea.rsp"
printf '%s\r\n' 'PROD=QOR_TELVAR_DRIVER' 'LIC_AGREEMENT=ACCEPT' 'FILE=C:\kv7\SITEB' \
  'COPY_NAME=SITEB' >"$drive/rsp/siteb.rsp"

# What Windows Installer answers for a product code: its state and the
# properties asked for, one per line.
probe() { # product code, properties...
  (cd "$drive" && kv7_wine 'C:\kv7test\msi_probe.exe' "$@" 2>/dev/null) | tr -d '\r'
}

# 1. The first copy, under the base product code.
new_wine_session
win_run first 'C:\media\image\setup.exe /u C:\rsp\sitea.rsp /l C:\logs\sitea.log'
expect "first copy: exit code" "$run_code" 0
expect "first copy: the base product at its directory" \
  "$(probe "$kv7_driver_code" InstallLocation)" $'state=5\nInstallLocation=C:\\kv7\\SITEA\\'

# 2. A second copy, in German: composed as a new instance in slot 15.
siteb=(/u 'C:\rsp\siteb.rsp' /l 'C:\logs\siteb.log' /i DE)
win_run further-command "$(windows_command_line 'C:\media\image\setup.exe' "${siteb[@]}" -showcommand)"
expect_true "second copy: composed as a new instance" \
  grep -q -F ' MSINEWINSTANCE=1 ' "$work/further-command.out"
expect_true "second copy: composed with slot 15's and the German transform" \
  grep -q -F ' TRANSFORMS=:inst15.mst;1031.mst ' "$work/further-command.out"

# Installed with the base's uninstall key hidden, and the key put back.
kv7_wine reg export "$base_uninstall_key" 'C:\kv7test\base.reg' /y >/dev/null 2>&1 &&
  kv7_wine reg delete "$base_uninstall_key" /f >/dev/null 2>&1
expect "second copy: the base's uninstall key hidden" \
  "$(kv7_wine reg query "$base_uninstall_key" >/dev/null 2>&1 && echo present || echo hidden)" hidden
win_run further "$(windows_command_line 'C:\media\image\setup.exe' "${siteb[@]}")"
expect "second copy: exit code" "$run_code" 0
kv7_wine reg import 'C:\kv7test\base.reg' >/dev/null 2>&1
expect "second copy: the base's uninstall key back" \
  "$(reg_value "$base_uninstall_key" InstallLocation)" 'C:\kv7\SITEA\'

expect "second copy: installed under slot 15's product code, in German" \
  "$(probe "$slot15_code" InstallLocation Language InstalledProductName)" \
  $'state=5\nInstallLocation=C:\\kv7\\SITEB\\\nLanguage=1031\nInstalledProductName=QOR Telvar Treiberpaket'
expect "second copy: the base product still belongs to the first copy" \
  "$(probe "$kv7_driver_code" InstallLocation Language)" \
  $'state=5\nInstallLocation=C:\\kv7\\SITEA\\\nLanguage=1033'
expect "second copy: its registry entry" "$(reg_value "$kv7_copies_key\\SITEB" 'KV7 Path Name')" \
  'C:\kv7\SITEB'
expect_true "second copy: its level file" test -f "$(on_drive 'C:\kv7\SITEB\cfg\kv7kvdriver.lvl')"

# 3. setup now finds the second copy as the instance in slot 15.
win_run maintain-command 'C:\media\image\setup.exe /l C:\logs\maintain.log /n SITEB -showcommand'
expect_true "second copy by name: maintained as slot 15's instance" \
  grep -q -F " MSIINSTANCEGUID=$slot15_code " "$work/maintain-command.out"

# 4. Wine 8.0 records no transforms for an instance (README): Windows answers
#    ":inst15.mst;" and its kept copy of 1031.mst, and instance type 1. So a
#    later run aimed at the instance acts on the base product: removed by its
#    code, the instance stays and the first copy goes. A Wine that records
#    the transforms fails these checks; the README's tables then change.
expect "instance: no transforms recorded (Wine's limitation)" \
  "$(probe "$slot15_code" Transforms InstanceType)" $'state=5\nTransforms=\nInstanceType=0'
kv7_wine msiexec /x "$slot15_code" /qn >/dev/null 2>&1
expect "instance removed by its code: Wine removes the base instead (its limitation)" \
  "$(probe "$kv7_driver_code" | head -1) $(probe "$slot15_code" | head -1)" "state=-1 state=5"

wine_checks_end
