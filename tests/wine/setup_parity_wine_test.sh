#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR disable=SC1003
# The Windows setup.exe under Wine and the native setup on an emulated
# machine that holds the same registry, files and image, side by side:
#
# - a table of launcher scenarios (the options, response files whose paths
#   end in a backslash or whose values hold quotes, the log path cases),
#   first on a machine without copies, then with a copy installed: the
#   -showcommand text and the exit code must agree (the system directory
#   apart, which Wine spells in its own way), and each must be the one the
#   table expects;
# - a handful of real installs, run on both from the same state: the exit
#   code, the installed files, the product family's registry entries, what
#   Windows Installer registered and what kv7inventory reports must agree;
# - shares: a response file and a log on shares of the prefix (Wine's
#   dosdevices/unc) and of the emulated machine (its unc folder), in the
#   table and in a real install; the image on a share, which Wine 8.0 cannot
#   run setup from (it names the program UNC\server\share\...), and the same
#   image through a drive letter mapped to the share, which it can;
# - arguments typed in UTF-8 in a host shell, which both hand setup in the
#   code page;
# - a setup killed while it holds the single-setup guard: while another
#   process keeps the guard open the next setup ends with 8100 and the one
#   after it runs; with no one keeping it open the guard goes with the
#   killed setup.
#
#   setup_parity_wine_test.sh <wine-env.sh> <Windows helpers dir>
#                             <native image dir> <native setup_guard_holder>
#                             <native msiexec>
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR. The runs of each table
# go to Wine as one batch, so that Wine starts once per table.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_checks.sh
source "$here/wine_checks.sh"
# shellcheck source=emulated_parity.sh
source "$here/emulated_parity.sh"

[[ $# == 5 ]] || {
  echo "usage: $0 <wine-env.sh> <Windows helpers dir> <native image dir>" \
    "<native setup_guard_holder> <native msiexec>" >&2
  exit 1
}
native_guard_holder=$4
native_installer=$5
readonly base_uninstall_key="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$kv7_driver_code"
for program in "$native_guard_holder" "$native_installer"; do
  [[ -x $program ]] || { echo "missing: $program" >&2; exit 1; }
done
# A hung run must not hold the suite for the default five minutes.
export KV7_WINE_TIMEOUT=${KV7_WINE_TIMEOUT:-120}
wine_checks_begin "$1" "$2"
parity_begin "$3"

place_image "$drive/media/image" "$windows_image/$kv7_package_name" \
  "$windows_image/setup.exe" "$windows_image/kv7inventory.exe"
# A German transform, so that /i DE has one to name; a run that only prints
# its command never opens it.
echo "not read" >"$drive/media/image/1031.mst"

mkdir -p "$drive/rsp"
write_rsp() { # name, lines...
  local name=$1
  shift
  printf '%s\r\n' 'PROD=QOR_TELVAR_DRIVER' 'LIC_AGREEMENT=ACCEPT' "$@" >"$drive/rsp/$name.rsp"
}
write_rsp trailing 'COPY_NAME=SITEA' 'FILE=C:\apps\SITEA\'
write_rsp blanks 'COPY_NAME=MY SITE' 'FILE=C:\apps\my site\'
write_rsp quoted 'COPY_NAME=SITE"Q"' 'FILE=C:\apps\SITEQ'
write_rsp unnamed
printf '%s\r\n' 'PROD=NO_SUCH_PRODUCT' 'COPY_NAME=SITEA' >"$drive/rsp/badprod.rsp"

# Shares, where Wine keeps them (dosdevices/unc/SERVER/SHARE; the emulated
# machine gets a copy in its unc folder): response files, the logs, and the
# image, also reached through the drive S: mapped to its share.
shares=$WINEPREFIX/dosdevices/unc/fileserver
mkdir -p "$shares/rsp" "$shares/logs"
cp "$drive/rsp/trailing.rsp" "$shares/rsp/"
place_image "$shares/images/image" "$windows_image/$kv7_package_name" "$windows_image/setup.exe" \
  "$helpers/own_name.exe"
ln -s unc/fileserver/images "$WINEPREFIX/dosdevices/s:"

# One scenario a line: label | expected exit code | setup's arguments,
# separated by blanks; single quotes group words with blanks, and nothing
# else is special (a backslash or a double quote is itself). -showcommand
# is added to each. "CODE wine:OTHER" is a known difference (README): the
# emulated machine answers CODE, as Windows does, and Wine OTHER.
readonly without_copies=(
  'interactive, log only|0|/l C:\logs\e01.log'
  'language with its transform|0|/l C:\logs\e02.log /i DE'
  'language in lower case|0|/l C:\logs\e03.log /i de'
  'language without a transform|0|/l C:\logs\e04.log /i FR'
  'language JP|0|/l C:\logs\e05.log /i JP'
  'unsupported language|8115|/l C:\logs\e06.log /i XX'
  'copy name|0|/l C:\logs\e07.log /n SITEA'
  'install path|0|/l C:\logs\e08.log /p C:\apps\SITEA'
  'install path ending in a backslash|0|/l C:\logs\e09.log /p C:\apps\SITEA\'
  "name and path with blanks|0|/l C:\logs\e10.log /n 'MY SITE' /p 'C:\apps\my site\'"
  'new copy requested|0|/l C:\logs\e11.log /o'
  'new copy with a name|0|/l C:\logs\e12.log /o /n SITEB'
  'response file, FILE ending in a backslash|0|/l C:\logs\e13.log /u C:\rsp\trailing.rsp'
  'response file, basic interface|0|/l C:\logs\e14.log /u C:\rsp\trailing.rsp /m'
  'response file with blanks|0|/l C:\logs\e15.log /u C:\rsp\blanks.rsp'
  'response file, a copy name holding quotes|0|/l C:\logs\e16.log /u C:\rsp\quoted.rsp'
  'response file without copy name and path|0|/l C:\logs\e17.log /u C:\rsp\unnamed.rsp'
  'response file with an invalid product|4294967295|/l C:\logs\e18.log /u C:\rsp\badprod.rsp'
  'missing response file|8115|/u C:\rsp\missing.rsp'
  '/m without a response file|8115|/l C:\logs\e20.log /m'
  'unknown option|8115|/x'
  'usage|8115|/?'
  'install path with an illegal character|8115|/l C:\logs\e23.log /p C:\a<b'
  'relative log path|0|/l e24.log'
  "log path with blanks|0|/l 'C:\log dir\e25.log'"
  'log in directories still to be made|0|/l C:\logs\new\deeper\e26.log'
  'log directory whose name holds a quote|8115|/l C:\logs\a"b\e27.log'
  'log directory named like a device|8115 wine:0|/l C:\logs\con\e28.log'
  'log path with a wildcard|8115|/l C:\logs\a?b.log'
  'every option at once|0|/l C:\logs\e30.log /i DE /n SITEB /p C:\apps\SITEB /o'
  'response file and log on shares|0|/l \\fileserver\logs\sub\e31.log /u \\fileserver\rsp\trailing.rsp'
  'response file on a share that is not there|8115|/l C:\logs\e32.log /u \\fileserver\none\a.rsp'
  'response file on a server that is not there|8115|/l C:\logs\e33.log /u \\nothere\rsp\a.rsp'
)
readonly with_a_copy=(
  'no copy named: the question, answered No|8102|/l C:\logs\i01.log'
  'the copy by name|0|/l C:\logs\i02.log /n SITEA'
  'the copy by name in other letters|0|/l C:\logs\i03.log /n sitea'
  'the copy by path|0|/l C:\logs\i04.log /p C:\apps\SITEA'
  'the copy by path with a trailing backslash|0|/l C:\logs\i05.log /p C:\apps\SITEA\'
  'new copy requested|0|/l C:\logs\i06.log /o'
  'a further copy by name and path|0|/l C:\logs\i07.log /n SITEB /p C:\apps\SITEB'
  'response file of the copy|0|/l C:\logs\i08.log /u C:\rsp\trailing.rsp'
  'response file without copy name and path|8102|/l C:\logs\i09.log /u C:\rsp\unnamed.rsp'
  'response file of a further copy with blanks|0|/l C:\logs\i10.log /u C:\rsp\blanks.rsp'
  'the copy in German|0|/l C:\logs\i11.log /i DE /n SITEA'
  'new copy in German|0|/l C:\logs\i12.log /o /i DE'
  'response file, a copy name holding quotes|0|/l C:\logs\i13.log /u C:\rsp\quoted.rsp'
)

# The words of a table row, each ended by a NUL.
table_words() { # row's arguments
  perl -e '$_ = shift; while (/\G\s*((?:[^\s\x27]|\x27[^\x27]*\x27)+)/gc) {
    (my $w = $1) =~ s/\x27//g; print "$w\0" }' "$1"
}

# Runs every scenario of a table on both platforms, Wine's runs as one
# batch, and compares.
compare_table() { # state, rows...
  local state=$1 row label expected words name i=0
  shift
  local -a names=() labels=() expectations=() argv=()
  local list="$drive/kv7test/$state.lst"
  rm -rf "$drive/kv7test/$state" "$list"
  mkdir -p "$drive/kv7test/$state"
  sync_emulated_machine
  for row in "$@"; do
    label=${row%%|*}
    row=${row#*|}
    expected=${row%%|*}
    words=${row#*|}
    name="$state$((i += 1))"
    names+=("$name")
    labels+=("$state, $label")
    expectations+=("$expected")
    mapfile -d '' -t argv < <(table_words "$words")
    set -- "${argv[@]}"
    printf '%s\t%s\n' "$name" \
      "$(windows_argument_line 'C:\media\image\setup.exe' "$@" -showcommand)" >>"$list"
    emulated_run "$name" setup "$@" -showcommand
  done
  local status=0
  (cd "$drive" && kv7_wine 'C:\kv7test\batch_runner.exe' "C:\\kv7test\\$state.lst" \
    "C:\\kv7test\\$state" >"$work/$state.batch" 2>&1) || status=$?
  expect "$state: the batch ran to its end" "$status $(cat "$work/$state.batch")" "0 "
  for i in "${!names[@]}"; do
    name=${names[$i]}
    local wine_code emulated_code
    wine_code=$(tr -d '\r\n' <"$drive/kv7test/$state/$name.code" 2>/dev/null || echo none)
    emulated_code=$(cat "$work/$name.emulated-code" 2>/dev/null || echo none)
    if [[ ${expectations[$i]} == *' wine:'* ]]; then
      expect "${labels[$i]}: exit code (a known difference)" \
        "$emulated_code wine:$wine_code" "${expectations[$i]}"
      continue
    fi
    expect "${labels[$i]}: exit code" "$wine_code" "${expectations[$i]}"
    expect "${labels[$i]}: exit code as on the emulated machine" "$emulated_code" "$wine_code"
    as_windows_output "$work/$name.emulated-out" "$work/$name.expected"
    expect_same_bytes "${labels[$i]}: output as on the emulated machine" \
      "$drive/kv7test/$state/$name.out" "$work/$name.expected"
  done
}

# What an install left: the files below C:\apps with their sizes, the
# product family's registry keys with their values, and what the uninstall
# keys of the driver's codes (the base code and the slots' codes) say about
# it, the commands and flags of "Add or Remove Programs" among it. Values
# that name a time or a file the installer picks (InstallDate, LocalPackage)
# are left out. Hexadecimal data wrapped over lines is joined first.
installed_state() { # C: drive's host directory, registry file (UTF-8)
  (cd "$1/apps" 2>/dev/null && find . -type f -printf '%P %s\n' | LC_ALL=C sort)
  perl -ne '
    s/\r?\n$//;
    if (defined $pending) { s/^\s+//; $_ = $pending . $_; undef $pending }
    if (/,\\$/) { chop; $pending = $_; next }
    if (/^\[(.*)\]$/) { $key = $1; next }
    next unless defined $key && /^("(?:[^"\\]|\\.)*"|@)=/;
    my $name = $1;
    if ($key =~ /^HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR(\\|$)/i) { push @lines, "[$key] $_" }
    elsif ($key =~ /^HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\(\{5C1E7A20-3B9D-4F62-A8[0-9A-F]{2}-0E4B7C93F2A6\})$/i) {
      my $code = uc $1;
      push @lines, "[uninstall $code] $_" if $name =~
        /^"(InstallLocation|DisplayName|DisplayVersion|Publisher|WindowsInstaller|UninstallString|ModifyPath|NoModify|NoRemove|NoRepair)"$/;
    }
    END { print "$_\n" for sort @lines }' "$2"
}

# Where install_on_both starts setup: the image on C: on both platforms.
wine_setup='C:\media\image\setup.exe'
emulated_setup=setup

# The emulated machine made from the prefix, with its own installer.
sync_emulated_machine_with_installer() {
  sync_emulated_machine
  mkdir -p "$machine/drive_c/Windows/system32"
  ln -s "$native_installer" "$machine/drive_c/Windows/system32/msiexec.exe"
}

# Runs setup for real on both platforms from the same state: run_code and
# emulated_code are the exit codes.
install_on_both() { # name, setup arguments...
  local name=$1
  shift
  sync_emulated_machine_with_installer
  # A new session: the installer is the first program of it that needs
  # Wine's desktop.
  new_wine_session
  win_run "$name" "$(windows_argument_line "$wine_setup" "$@")"
  emulated_run "$name" "$emulated_setup" "$@"
}

# What each platform holds now, compared: files, registry, kv7inventory.
compare_state() { # name, label
  local name=$1 label=$2
  export_prefix_registry "$work/$name.wine.reg"
  installed_state "$drive" "$work/$name.wine.reg" >"$work/$name.wine-state"
  installed_state "$machine/drive_c" "$machine/system.reg" >"$work/$name.emulated-state"
  expect_same_bytes "$label: as on the emulated machine" "$work/$name.emulated-state" \
    "$work/$name.wine-state"
  compare_inventory_with_emulated "$label"
}

# A real install on both platforms, and what it left on each.
compare_install() { # name, label, expected exit code, setup arguments...
  local name=$1 label=$2 expected=$3
  shift 3
  install_on_both "$name" "$@"
  expect "$label: exit code" "$run_code" "$expected"
  expect "$label: exit code as on the emulated machine" "$emulated_code" "$run_code"
  compare_state "$name" "$label"
  expect_true "$label: something was installed" test -s "$work/$name.wine-state"
}

# A setup that is killed while it holds the single-setup guard: on each
# platform a holder takes the guard as setup does and is killed, while a
# watcher keeps the guard open or not; then two setups run.
wait_for() { # host file (it exists, and has content if a Wine helper writes it)
  local _
  for _ in $(seq 300); do
    [[ -e $1 && ($1 != "$drive"/* || -s $1) ]] && return 0
    sleep 0.1
  done
  return 1
}

compare_setup_run() { # name, label, expected exit code
  local name=$1
  win_run "$name" 'C:\media\image\setup.exe /l C:\logs\guard.log -showcommand'
  emulated_run "$name" setup /l 'C:\logs\guard.log' -showcommand
  expect "$2: exit code" "$run_code" "$3"
  expect "$2: exit code as on the emulated machine" "$emulated_code" "$run_code"
  as_windows_output "$work/$name.emulated-out" "$work/$name.expected"
  expect_same_bytes "$2: output as on the emulated machine" "$work/$name.out" "$work/$name.expected"
}

compare_killed_guard_holder() { # label, watched (yes or no), expected exit code
  local label=$1 watched=$2 expected=$3 watcher=
  rm -f "$drive/kv7test/"{watching,stop,holding} "$machine/drive_c/guard/"{watching,stop,holding}
  mkdir -p "$machine/drive_c/guard"
  if [[ $watched == yes ]]; then
    (cd "$drive" && kv7_wine 'C:\kv7test\mutex_holder.exe' ProtectKV7CLIInstall \
      'C:\kv7test\watching' 'C:\kv7test\stop' open >/dev/null 2>&1) &
    watcher=$!
    (cd "$machine/drive_c" && exec env KV7_MACHINE="$machine" "$native_guard_holder" \
      'C:\guard\watching' 'C:\guard\stop' open >/dev/null 2>&1) &
    watcher="$watcher $!"
    if ! wait_for "$drive/kv7test/watching" || ! wait_for "$machine/drive_c/guard/watching"; then
      check_fail "$label: the watchers keep the guard open"
    fi
  fi
  (cd "$drive" && kv7_wine 'C:\kv7test\mutex_holder.exe' ProtectKV7CLIInstall \
    'C:\kv7test\holding' 'C:\kv7test\never' >/dev/null 2>&1) &
  local wine_holder=$!
  (cd "$machine/drive_c" && exec env KV7_MACHINE="$machine" "$native_guard_holder" \
    'C:\guard\holding' 'C:\guard\never' >/dev/null 2>&1) &
  local native_holder=$!
  if wait_for "$drive/kv7test/holding" && wait_for "$machine/drive_c/guard/holding"; then
    kv7_wine taskkill /f /pid "$(tr -d '\r\n' <"$drive/kv7test/holding")" >/dev/null 2>&1
    kill -KILL "$native_holder"
  else
    check_fail "$label: the holders take the guard"
  fi
  wait "$wine_holder" "$native_holder"
  compare_setup_run "guard-$watched-1" "$label, the next setup" "$expected"
  compare_setup_run "guard-$watched-2" "$label, the one after it" 0
  if [[ -n $watcher ]]; then
    touch "$drive/kv7test/stop" "$machine/drive_c/guard/stop"
    # shellcheck disable=SC2086
    wait $watcher
  fi
}

sync_emulated_machine
compare_killed_guard_holder "killed guard holder, the guard kept open elsewhere" yes 8100
compare_killed_guard_holder "killed guard holder, no one else keeping the guard" no 0

compare_table empty "${without_copies[@]}"

# The image on a share. On Windows a program started there is named
# \\fileserver\images\image\..., and setup composes its package's path from
# that, as the emulated machine does. Wine 8.0 names it
# UNC\fileserver\images\image\... (GetModuleFileNameA), so setup finds no
# package there (8121): a known difference, which a Wine that names the
# program as Windows does makes these checks report. Through the drive S:
# mapped to the share the same image works under Wine.
compare_image_on_share() {
  local args=(/l 'C:\logs\s1.log' /u '\\fileserver\rsp\trailing.rsp' -showcommand)
  local list="$drive/kv7test/share.lst" out="$drive/kv7test/share" status=0
  rm -rf "$out" "$list"
  mkdir -p "$out"
  printf '%s\t%s\n' own-name '\\fileserver\images\image\own_name.exe' \
    from-share "$(windows_argument_line '\\fileserver\images\image\setup.exe' "${args[@]}")" \
    through-drive "$(windows_argument_line 'S:\image\setup.exe' "${args[@]}")" >"$list"
  (cd "$drive" && kv7_wine 'C:\kv7test\batch_runner.exe' 'C:\kv7test\share.lst' \
    'C:\kv7test\share' >"$work/share.batch" 2>&1) || status=$?
  expect "image on a share: the batch ran to its end" "$status $(cat "$work/share.batch")" "0 "
  # The emulated machine has had the shares since the table before.
  emulated_run share "$machine/unc/fileserver/images/image/setup" "${args[@]}"
  local wine_code
  expect "image on a share: Wine 8.0 names a program there UNC\\... (a known difference)" \
    "$(cat "$out/own-name.out")" 'UNC\fileserver\images\image\own_name.exe'
  wine_code=$(tr -d '\r\n' <"$out/from-share.code")
  expect "image on a share: setup finds its package (Wine 8.0 does not, a known difference)" \
    "$emulated_code wine:$wine_code" "0 wine:8121"
  # Under the mapped drive Wine prints what the emulated machine prints from
  # the share, the drive in place of the share.
  expect "image through a drive mapped to the share: exit code" \
    "$(tr -d '\r\n' <"$out/through-drive.code")" 0
  SHARE='\\fileserver\images\' perl -pe 's/\Q$ENV{SHARE}\E/S:\\/g' "$work/share.emulated-out" \
    >"$work/share.through-drive"
  as_windows_output "$work/share.through-drive" "$work/share.expected"
  expect_same_bytes "image through a drive mapped to the share: output as from the share" \
    "$out/through-drive.out" "$work/share.expected"
}
compare_image_on_share

# Arguments typed in a host shell are UTF-8; Wine hands them to setup in the
# code page (1252), as Windows hands an ANSI program its command line, and
# so does the emulated machine: a letter of the code page, one it has a best
# fit for and one it has none for.
compare_typed_arguments() {
  local args=(/n $'Z\xc3\xbcrich\xc5\x81\xe2\x98\x83' /l 'C:\logs\typed.log' -showcommand) status=0
  (cd "$drive" && kv7_wine 'C:\media\image\setup.exe' "${args[@]}" >"$work/typed.out" \
    2>"$work/typed.err") || status=$?
  emulated_run typed setup "${args[@]}"
  expect "arguments typed in UTF-8: exit codes" "$status $emulated_code" "0 0"
  as_windows_output "$work/typed.emulated-out" "$work/typed.expected"
  expect_same_bytes "arguments typed in UTF-8: output as on the emulated machine" \
    "$work/typed.out" "$work/typed.expected"
}
compare_typed_arguments

# A first copy named and placed with blanks, the path ending in a
# backslash; then gone again, for the next first copy.
compare_install blanks "first copy from a response file with blanks" 0 \
  /u 'C:\rsp\blanks.rsp' /l 'C:\logs\r1.log'
kv7_wine msiexec /x "$kv7_driver_code" /qn >/dev/null 2>&1
rm -rf "$drive/apps"
expect "removed again: no copy left" "$(reg_value "$kv7_copies_key\\MY SITE" 'KV7 Path Name')" \
  '<missing>'

# A copy name that holds quotes goes to the installer unescaped,
# KV7_COPY_NAME="SITE"Q"". Read by msiexec's documented rules it is SITEQ;
# Wine's msiexec stops at the second quote (a known difference, README).
install_on_both quoted /u 'C:\rsp\quoted.rsp' /l 'C:\logs\rq.log'
expect "copy name with quotes: exit codes" "$run_code $emulated_code" "0 0"
expect "copy name with quotes: Wine's copy (a known difference)" \
  "$(reg_value "$kv7_copies_key\\SITE" 'KV7 Path Name')" 'C:\apps\SITEQ'
expect_true "copy name with quotes: the emulated machine's copy" \
  grep -q -F '[HKEY_LOCAL_MACHINE\SOFTWARE\QOR\KV7\InstalledCopies\SITEQ]' "$machine/system.reg"
kv7_wine msiexec /x "$kv7_driver_code" /qn >/dev/null 2>&1
rm -rf "$drive/apps"

# The image in a folder whose name holds ";", with the English transform
# beside the package: setup names the transform by its bare name, and only
# the TRANSFORMS list is split at ";", so both install it from there.
semicolon_image="$drive/media/v1;2"
rm -rf "$semicolon_image"
cp -a "$drive/media/image" "$semicolon_image"
rm -f "$semicolon_image/1031.mst"
cp "$windows_image/1033.mst" "$semicolon_image/"
wine_setup='C:\media\v1;2\setup.exe'
emulated_setup="$machine/drive_c/media/v1;2/setup"
compare_install semicolon "image in a folder holding ';'" 0 \
  /u 'C:\rsp\trailing.rsp' /l 'C:\logs\rs.log'
wine_setup='C:\media\image\setup.exe'
emulated_setup=setup
kv7_wine msiexec /x "$kv7_driver_code" /qn >/dev/null 2>&1
rm -rf "$drive/apps" "$semicolon_image"

# A log the installer cannot write (its path names a folder): the emulated
# installer fails with 1622 as Windows documents, Wine installs without it
# and ends with 0 (a known difference, README).
mkdir -p "$drive/logs/afolder"
sync_emulated_machine_with_installer
mkdir -p "$machine/drive_c/logs/afolder"
new_wine_session
win_run unwritable-log "$(windows_argument_line 'C:\media\image\setup.exe' \
  /u 'C:\rsp\trailing.rsp' /l 'C:\logs\afolder')"
emulated_run unwritable-log setup /u 'C:\rsp\trailing.rsp' /l 'C:\logs\afolder'
expect "a log the installer cannot write: exit code (a known difference)" \
  "$emulated_code wine:$run_code" "1622 wine:0"
expect "a log the installer cannot write: nothing installed on the emulated machine" \
  "$(ls "$machine/drive_c/apps" 2>/dev/null)" ""
kv7_wine msiexec /x "$kv7_driver_code" /qn >/dev/null 2>&1
rm -rf "$drive/apps" "$drive/logs/afolder"

compare_install first "first copy, FILE ending in a backslash" 0 \
  /u 'C:\rsp\trailing.rsp' /l 'C:\logs\r2.log'
compare_table installed "${with_a_copy[@]}"
# The same response file again, from a share, with the log collected on
# another, setup started from the image on a share (through the mapped drive
# under Wine): maintenance.
wine_setup='S:\image\setup.exe'
emulated_setup=$machine/unc/fileserver/images/image/setup
compare_install again "the same response file again, setup and files on shares: maintenance" 0 \
  /u '\\fileserver\rsp\trailing.rsp' /l '\\fileserver\logs\sub\r3.log'
wine_setup='C:\media\image\setup.exe'
emulated_setup=setup
expect_true "maintenance from shares: the installer's log on the share" \
  test -s "$shares/logs/sub/r3.log"
compare_install interactive "the copy by name, the installer's own interface" 0 \
  /l 'C:\logs\r4.log' /n SITEA

# The life of four copies, on each platform from the same empty state and
# then on its own: a first copy and three further ones through setup, a
# further copy removed, then the first. Removed by its code, an instance is
# found with the transforms Windows Installer recorded for it; Wine records
# none and would remove the base instead (README), so under Wine the
# instance's transform is named.
kv7_wine msiexec /x "$kv7_driver_code" /qn >/dev/null 2>&1
rm -rf "$drive/apps"
for site in SITEB SITEC SITED; do write_rsp "$site" "COPY_NAME=$site" "FILE=C:\\apps\\$site"; done
sync_emulated_machine_with_installer
# Each platform goes on from its own state, in the session of the runs
# before.
life_setup() { # name, setup arguments...
  local name=$1
  shift
  win_run "$name" "$(windows_argument_line 'C:\media\image\setup.exe' "$@")"
  emulated_run "$name" setup "$@"
}
life_setup life1 /u 'C:\rsp\trailing.rsp' /l 'C:\logs\l1.log'
expect "life: the first copy, exit codes" "$run_code $emulated_code" "0 0"
# Wine 8.0 takes a new instance for maintenance of the base product while the
# base is installed (README): the base's uninstall key is hidden from Wine
# while it installs the further copies.
kv7_wine reg export "$base_uninstall_key" 'C:\kv7test\base.reg' /y >/dev/null 2>&1 &&
  kv7_wine reg delete "$base_uninstall_key" /f >/dev/null 2>&1
for site in SITEB SITEC SITED; do
  life_setup "life-$site" /o /u "C:\\rsp\\$site.rsp" /l "C:\\logs\\l-$site.log"
  expect "life: further copy $site, exit codes" "$run_code $emulated_code" "0 0"
done
kv7_wine reg import 'C:\kv7test\base.reg' >/dev/null 2>&1

readonly slot14_code='{5C1E7A20-3B9D-4F62-A8DF-0E4B7C93F2A6}'
win_run life-x14 "msiexec /x \"C:\\media\\image\\$kv7_package_name\" TRANSFORMS=:inst14.mst /qn"
emulated_run life-x14 "$machine/drive_c/Windows/system32/msiexec.exe" /x "$slot14_code" /qn
expect "life: slot 14's copy removed, exit codes" "$run_code $emulated_code" "0 0"
compare_state life-x14 "life: slot 14's copy removed"
expect "life: slot 14's copy has no files left" "$(grep -c '^SITEC/' "$work/life-x14.wine-state")" 0
expect "life: the third further copy in slot 13" \
  "$(grep -F '[uninstall {5C1E7A20-3B9D-4F62-A8DE-0E4B7C93F2A6}] "InstallLocation"' \
    "$work/life-x14.wine-state")" \
  '[uninstall {5C1E7A20-3B9D-4F62-A8DE-0E4B7C93F2A6}] "InstallLocation"="C:\\apps\\SITED\\"'
compare_setup_with_emulated "life: the next new copy" /o /l 'C:\logs\l-next.log'
expect_true "life: the next new copy takes the freed slot" \
  grep -q -F ' TRANSFORMS=:inst14.mst' "$work/parity$parity_runs.out"

win_run life-xbase "msiexec /x $kv7_driver_code /qn"
emulated_run life-xbase "$machine/drive_c/Windows/system32/msiexec.exe" \
  /x "$kv7_driver_code" /qn
expect "life: the first copy removed, exit codes" "$run_code $emulated_code" "0 0"
compare_state life-xbase "life: the first copy removed"
expect "life: the further copies stay" "$(grep -c -E '^SITE[BD]/' "$work/life-xbase.wine-state")" 4
win_run life-xbase-again "msiexec /x $kv7_driver_code /qn"
emulated_run life-xbase-again "$machine/drive_c/Windows/system32/msiexec.exe" \
  /x "$kv7_driver_code" /qn
expect "life: the first copy removed again, exit codes" "$run_code $emulated_code" "1605 1605"

wine_checks_end
