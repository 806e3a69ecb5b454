#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# The Windows setup.exe under Wine, against Wine's registry, its msiexec.exe
# and the real driver package, the way a deployment script runs it:
#
# - an unattended first install with a response file, from media that carry
#   an older package (modification 500);
# - the same command from the current media: setup finds the copy and
#   reinstalls it; and once more: setup maintains it;
# - after each step, setup's -showcommand output and kv7inventory's report
#   on Wine equal those of the native programs on an emulated machine with
#   the same registry, files and image;
# - the interactive runs end without anyone to answer them;
# - rspcheck --args reports the option letters hidden in paths alike on both
#   platforms, and setup does with them what it says.
#
#   setup_install_wine_test.sh <wine-env.sh> <Windows helpers dir>
#                              <native image dir> <driver.wxs>
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_checks.sh
source "$here/wine_checks.sh"
# shellcheck source=emulated_parity.sh
source "$here/emulated_parity.sh"

[[ $# == 4 ]] || {
  echo "usage: $0 <wine-env.sh> <Windows helpers dir> <native image dir> <driver.wxs>" >&2
  exit 1
}
source_wxs=$4
command -v wixl >/dev/null || { echo "wixl missing: apt-get install wixl" >&2; exit 1; }
# A hung run must not hold the suite for the default five minutes.
export KV7_WINE_TIMEOUT=${KV7_WINE_TIMEOUT:-120}
wine_checks_begin "$1" "$2"
parity_begin "$3"

# The older media: the same setup.exe beside a package of modification 500.
mkdir -p "$work/older"
(cd "$(dirname "$source_wxs")" &&
  wixl -a x64 -D Modification=500 -o "$work/older/driver.msi" "$(basename "$source_wxs")") ||
  { echo "could not build the older package" >&2; exit 1; }
place_image "$drive/media/older" "$work/older/driver.msi" "$windows_image/setup.exe"
place_image "$drive/media/image" "$windows_image/$kv7_package_name" \
  "$windows_image/setup.exe" "$windows_image/kv7inventory.exe" "$windows_image/rspcheck.exe"
# A German transform, so that /i DE has one to name; a run that only prints
# its command never opens it.
echo "not read" >"$drive/media/image/1031.mst"

mkdir -p "$drive/rsp"
printf '%s\r\n' 'PROD=QOR_TELVAR_DRIVER' 'LIC_AGREEMENT=ACCEPT' 'FILE=C:\kv7\SITEA' \
  'COPY_NAME=SITEA' >"$drive/rsp/sitea.rsp"
printf '%s\r\n' 'PROD=QOR_TELVAR_DRIVER' 'LIC_AGREEMENT=ACCEPT' >"$drive/rsp/unnamed.rsp"
printf '%s\r\n' 'PROD=NO_SUCH_PRODUCT' 'COPY_NAME=SITEA' >"$drive/rsp/badprod.rsp"

# The same runs on both platforms in every state; each log file name is new,
# so no run meets a log file that an earlier one left on one side only.
compare_platforms() { # state
  local state=$1
  sync_emulated_machine
  compare_inventory_with_emulated "$state"
  compare_setup_with_emulated "$state, response file" \
    /u 'C:\rsp\sitea.rsp' /l "C:\\logs\\$state-1.log"
  compare_setup_with_emulated "$state, response file without copy name and path" \
    /u 'C:\rsp\unnamed.rsp' /l "C:\\logs\\$state-2.log"
  compare_setup_with_emulated "$state, response file with an invalid product" \
    /u 'C:\rsp\badprod.rsp' /l "C:\\logs\\$state-3.log"
  compare_setup_with_emulated "$state, missing response file" /u 'C:\rsp\missing.rsp'
  compare_setup_with_emulated "$state, copy by name" /l "C:\\logs\\$state-4.log" /n sitea
  compare_setup_with_emulated "$state, copy by path" /l "C:\\logs\\$state-5.log" /p 'C:\kv7\SITEA'
  compare_setup_with_emulated "$state, copy by path with a trailing backslash" \
    /l "C:\\logs\\$state-10.log" /p 'C:\kv7\SITEA\'
  compare_setup_with_emulated "$state, further copy" \
    /l "C:\\logs\\$state-6.log" /n SITEB /p 'C:\kv7\SITEB'
  compare_setup_with_emulated "$state, new copy requested" /l "C:\\logs\\$state-7.log" /o
  compare_setup_with_emulated "$state, language" /l "C:\\logs\\$state-8.log" /i DE
  compare_setup_with_emulated "$state, no copy named" /l "C:\\logs\\$state-9.log"
}

copy_checks() { # step, modification
  local step=$1
  expect "$step: copy path registered" \
    "$(reg_value "$kv7_copies_key\\SITEA" 'KV7 Path Name')" 'C:\kv7\SITEA'
  expect "$step: copy modification" \
    "$(reg_value "$kv7_copies_key\\SITEA\\CurrentVersion" Modification)" "$2"
  expect_true "$step: driver library where FILE said" test -f "$(on_drive 'C:\kv7\SITEA\bin\kv7drv.dll')"
  expect_true "$step: level file where FILE said" test -f "$(on_drive 'C:\kv7\SITEA\cfg\kv7kvdriver.lvl')"
  (cd "$drive" && kv7_wine 'C:\kv7test\msi_probe.exe' "$kv7_driver_code" InstallLocation \
    >"$work/probe.out" 2>/dev/null)
  expect "$step: Windows Installer has the driver at the copy" "$(tr -d '\r' <"$work/probe.out")" \
    $'state=5\nInstallLocation=C:\\kv7\\SITEA\\'
}

# The installer's verbose log of a run holds the properties it was given.
log_has_property() { # log (Windows path), property, value
  grep -a -q -x -F "Property(S): $2 = $3" <(tr -d '\r' <"$(on_drive "$1")")
}

sitea_command=(/u 'C:\rsp\sitea.rsp' /l 'C:\logs\sitea.log')

# On the empty machine Setup.Wine.Parity compares these setup runs and more;
# kv7inventory is compared here.
sync_emulated_machine
compare_inventory_with_emulated empty

# 1. First install, from the older media. A new session: the installer is the
#    first program of it that needs Wine's desktop.
new_wine_session
win_run first "$(windows_command_line 'C:\media\older\setup.exe' "${sitea_command[@]}")"
expect "first install: exit code" "$run_code" 0
copy_checks "first install" 500
expect_true "first install: the installer got the response file" \
  log_has_property 'C:\logs\sitea.log' RSP_FILE_PATH 'C:\rsp\sitea.rsp'
expect_true "first install: the installer got the copy name" \
  log_has_property 'C:\logs\sitea.log' COPY_NAME_OVERRIDE SITEA
compare_platforms older

# 2. The same command from the current media: a reinstall of that copy.
win_run reinstall-command \
  "$(windows_command_line 'C:\media\image\setup.exe' "${sitea_command[@]}" -showcommand)"
expect_true "reinstall: composed as a reinstall" \
  grep -q -F ' REINSTALLMODE=vomus REINSTALL=ALL ' "$work/reinstall-command.out"
rm -f "$(on_drive 'C:\logs\sitea.log')"
win_run reinstall "$(windows_command_line 'C:\media\image\setup.exe' "${sitea_command[@]}")"
expect "reinstall: exit code" "$run_code" 0
copy_checks "reinstall" 600
expect_true "reinstall: the installer reinstalled" log_has_property 'C:\logs\sitea.log' REINSTALL ALL
compare_platforms current

# 3. The same command again: maintenance of the copy, and the installer's own
#    exit code, as the printed command gives it when run directly.
win_run maintain-command \
  "$(windows_command_line 'C:\media\image\setup.exe' "${sitea_command[@]}" -showcommand)"
expect "maintenance: composed without reinstall or new instance" \
  "$(grep -c -e REINSTALL -e MSINEWINSTANCE -e MSIINSTANCEGUID "$work/maintain-command.out")" 0
expect_true "maintenance: composed for the copy" \
  grep -q -F 'KV7_COPY_NAME="SITEA" COPY_NAME_OVERRIDE="SITEA" INSTALLDIR="C:\kv7\SITEA"' \
  "$work/maintain-command.out"
rm -f "$(on_drive 'C:\logs\sitea.log')"
win_run maintain "$(windows_command_line 'C:\media\image\setup.exe' "${sitea_command[@]}")"
maintain_code=$run_code
expect_true "maintenance: the installer ran" test -s "$(on_drive 'C:\logs\sitea.log')"
win_run installer-alone "$(cat "$work/maintain-command.out")"
expect "maintenance: exit code is the installer's" "$maintain_code" "$run_code"
copy_checks "maintenance" 600

# 4. Interactive runs, with no one to answer: a message box that cannot be
#    shown counts as No, and every run ends.
touch "$work/before-interactive"
for run in 'usage|/?' 'overwrite log|/l C:\logs\sitea.log' 'maintain question|'; do
  arguments=${run#*|}
  win_run interactive "C:\\media\\image\\setup.exe${arguments:+ $arguments}"
  expect "interactive, ${run%%|*}: ends, refused" "$run_code" 8115
done
expect "interactive: no installer run, no new log in the documents folder" \
  "$(find "$drive/users" -path '*/Documents/KV7LOG/*' -newer "$work/before-interactive" | wc -l)" 0
rm -f "$(on_drive 'C:\logs\interactive.log')"
win_run interactive-install 'C:\media\image\setup.exe /l C:\logs\interactive.log /n SITEA'
expect "interactive maintenance with the installer's own interface: exit code" "$run_code" 0
expect_true "interactive maintenance: the installer ran" \
  test -s "$(on_drive 'C:\logs\interactive.log')"

# 5. rspcheck beside setup in the image: response files in the encodings
#    that Windows tools write, read through the system's code page; setup's
#    command line checked ahead, with the arguments as the Windows runtime
#    splits them (a quoted path with a blank included); then setup itself on
#    two of the lines.
compare_rspcheck_with_emulated() { # label, expected exit code, rspcheck arguments...
  local label=$1 code=$2
  shift 2
  local name="rspcheck$((parity_runs += 1))"
  win_run "$name" "$(windows_command_line 'C:\media\image\rspcheck.exe' "$@")"
  emulated_run "$name" rspcheck "$@"
  as_windows_output "$work/$name.emulated-out" "$work/$name.expected"
  expect "$label: rspcheck exit code" "$run_code" "$code"
  expect "$label: rspcheck exit code as on the emulated machine" "$run_code" "$emulated_code"
  expect_same_bytes "$label: rspcheck output as on the emulated machine" "$work/$name.out" \
    "$work/$name.expected"
}
printf 'PROD=QOR_TELVAR_DRIVER\r\nCOMP=Z\xc3\xbcrich\r\n' >"$drive/rsp/utf8.rsp"
printf 'PROD=QOR_TELVAR_DRIVER\r\n' | iconv -f UTF-8 -t UTF-16 >"$drive/rsp/utf16.rsp"
sync_emulated_machine
compare_rspcheck_with_emulated "UTF-8 response file" 0 'C:\rsp\utf8.rsp'
expect_true "UTF-8 response file: read as code page 1252" \
  grep -q -F "takes 7 characters, 'Z', U+00C3 LATIN CAPITAL LETTER A WITH TILDE, U+00BC" \
  "$work/rspcheck$parity_runs.out"
compare_rspcheck_with_emulated "UTF-16 response file" 1 'C:\rsp\utf16.rsp'
compare_rspcheck_with_emulated "hidden /i" 1 --args /u 'C:\rsp\sitea.rsp' /l 'C:\logs\kv7-install.log'
expect_true "hidden /i: named with the log file" \
  grep -q -F "'C:\logs\kv7-install.log', the value of /l, holds '-i'" "$work/rspcheck$parity_runs.out"
compare_rspcheck_with_emulated "hidden /p in a quoted path" 0 \
  --args /u 'C:\rsp\sitea.rsp' /p 'C:\Program Files\my-prog'
expect_true "hidden /p: found inside the quoted path" \
  grep -q -F "option /p: 'og', found inside argument 4" "$work/rspcheck$parity_runs.out"
compare_rspcheck_with_emulated "clean line" 0 --args /u 'C:\rsp\sitea.rsp' /l 'C:\logs\install.log'
compare_setup_with_emulated "hidden /i" /u 'C:\rsp\sitea.rsp' /l 'C:\logs\kv7-install.log'
expect "hidden /i: setup refuses the line, as rspcheck says" "$run_code" 8115
compare_setup_with_emulated "hidden /o" /l 'C:\logs\drv-old.log'
expect_true "hidden /o: setup adds a further copy, as rspcheck says" \
  grep -q -F ' MSINEWINSTANCE=1 ' "$work/parity$parity_runs.out"

wine_checks_end
