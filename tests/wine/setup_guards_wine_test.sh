#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# The Windows setup.exe under Wine where things stand in its way:
#
# - a package file that is not a package: Windows Installer's own exit code,
#   all 32 bits of it, comes back as setup's;
# - a second setup while the single-setup mutex is held: 8100 and one line;
# - libraries planted beside the program ("shfolder.dll", "msi.dll") are not
#   loaded, nor the product family's library from the current directory or
#   a relative PATH entry, although a careless load would take each of them.
#
#   setup_guards_wine_test.sh <wine-env.sh> <Windows helpers dir>
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_checks.sh
source "$here/wine_checks.sh"

[[ $# == 2 ]] || { echo "usage: $0 <wine-env.sh> <Windows helpers dir>" >&2; exit 1; }
# A hung run must not hold the suite for the default five minutes.
export KV7_WINE_TIMEOUT=${KV7_WINE_TIMEOUT:-120}
wine_checks_begin "$1" "$2"
planted=$helpers/planted_library.dll
[[ -f $planted ]] || { echo "missing: $planted" >&2; exit 1; }

place_image "$drive/media/image" "$windows_image/$kv7_package_name" "$windows_image/setup.exe"
echo "this is not a Windows Installer package" >"$work/broken.msi"
place_image "$drive/media/broken" "$work/broken.msi" "$windows_image/setup.exe"
mkdir -p "$drive/rsp"
printf '%s\r\n' 'FILE=C:\kv7\SITEA' 'COPY_NAME=SITEA' >"$drive/rsp/sitea.rsp"
readonly sitea_arguments='/u C:\rsp\sitea.rsp /l C:\logs\sitea.log'

# 1. The installer fails; its code is setup's. It is compared with what the
#    installer answers to the printed command run directly, and must be wider
#    than the 8 bits a Linux shell would see. A new session: the installer is
#    the first program of it that needs Wine's desktop.
new_wine_session
win_run broken "C:\\media\\broken\\setup.exe $sitea_arguments"
setup_code=$run_code
win_run broken-command "C:\\media\\broken\\setup.exe $sitea_arguments -showcommand"
expect "broken package: command composed" "$run_code" 0
win_run broken-installer "$(cat "$work/broken-command.out")"
expect "broken package: setup's exit code is the installer's" "$setup_code" "$run_code"
wider_than_a_byte() { [[ $1 =~ ^[0-9]+$ ]] && (($1 > 255)); }
expect_true "broken package: the installer failed with a code wider than 8 bits" \
  wider_than_a_byte "$setup_code"
expect "broken package: no copy registered" \
  "$(reg_value "$kv7_copies_key\\SITEA" 'KV7 Path Name')" '<missing>'

# 2. Another setup holds "ProtectKV7CLIInstall".
(cd "$drive" && kv7_wine 'C:\kv7test\mutex_holder.exe' ProtectKV7CLIInstall \
  'C:\kv7test\held' 'C:\kv7test\release' >/dev/null 2>&1) &
holder=$!
for _ in $(seq 600); do
  [[ -e $drive/kv7test/held ]] && break
  kill -0 "$holder" 2>/dev/null || break
  sleep 0.1
done
expect_true "mutex holder: holds the mutex" test -e "$drive/kv7test/held"
win_run guarded "C:\\media\\image\\setup.exe $sitea_arguments"
expect "second setup: exit code" "$run_code" 8100
expected_text=$(sed -n 's/^ERROR_ANOTHER_SETUP_RUNNING=//p' \
  "$drive/media/image/launchmsg/en_US/Launch.pro" | tr -d '\r')
printf '%s\r\n' "$expected_text" >"$work/guarded.expected"
expect_true "second setup: the message has a text" test -n "$expected_text"
expect_same_bytes "second setup: one line, the message" "$work/guarded.out" \
  "$work/guarded.expected"
expect "second setup: no installer run" \
  "$(reg_value "$kv7_copies_key\\SITEA" 'KV7 Path Name')" '<missing>'
touch "$drive/kv7test/release"
wait "$holder"
expect "mutex holder: released when told" "$?" 0
win_run unguarded "C:\\media\\image\\setup.exe $sitea_arguments -showcommand"
expect "setup after the release: runs" "$run_code" 0

# 3. Libraries planted beside the program. Wine prefers its own builtin
#    libraries to files of the same name; told to prefer the files, it
#    loads what it finds, as Windows does.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;shfolder,msi=n,b"
for library in shfolder.dll msi.dll; do
  cp "$planted" "$drive/media/image/$library"
done
cp "$drive/kv7test/load_library_probe.exe" "$drive/media/image/"
win_run careless-load 'C:\media\image\load_library_probe.exe shfolder.dll msi.dll'
expect "careless load beside the program: takes the planted libraries" \
  "$(tr -d '\r' <"$work/careless-load.out")" \
  $'shfolder.dll=C:\\media\\image\\shfolder.dll\nmsi.dll=C:\\media\\image\\msi.dll'
expect "careless load beside the program: the planted libraries ran" \
  "$(cd "$drive/media/image" && find . -name '*.loaded' | sort | tr '\n' ' ')" \
  './msi.dll.loaded ./shfolder.dll.loaded '
rm -f "$drive/media/image/"*.loaded

# A copy at C:\planted, where only the planted msi.dll would see the driver
# installed: with it, setup would ask about maintaining the copy.
mkdir -p "$drive/planted/cfg"
echo "11.5" >"$drive/planted/cfg/kv7kvdriver.lvl"
kv7_wine reg add "$kv7_copies_key\\PLANTED" /v 'KV7 Path Name' /d 'C:\planted' /f >/dev/null 2>&1
win_run planted 'C:\media\image\setup.exe -showcommand'
expect "planted libraries: setup composes a first install" "$run_code" 0
expect_true "planted libraries: the log path is in the real documents folder" \
  grep -q -E '/l\*v "C:\\users\\[^"]+\\KV7LOG\\KV7-kvdriver_log-[^"]+\.log"' "$work/planted.out"
expect "planted libraries: nothing of them in the command" \
  "$(grep -c -i planted "$work/planted.out")" 0
expect "planted libraries: not loaded by setup" \
  "$(find "$drive" -name '*.loaded' | wc -l)" 0

# 4. The product family's library: the launcher's Windows code looks beside
#    the program, in the system directory and in absolute PATH entries, never
#    in the current directory or a relative PATH entry.
mkdir -p "$drive/work/relative" "$drive/probe" "$drive/absolute"
cp "$drive/kv7test/family_library_probe.exe" "$drive/probe/"
for dir in work work/relative absolute; do
  cp "$planted" "$drive/$dir/KV7GENREG64.dll"
done
marks() { (cd "$drive" && find . -name '*.loaded' | sort | tr '\n' ' '); }
family_probe() { # name, program, PATH value
  find "$drive" -name '*.loaded' -delete
  (cd "$drive/work" && kv7_wine "$2" "$3" 2>/dev/null | tr -d '\r' >"$work/$1.out")
}

family_probe careless 'C:\kv7test\load_library_probe.exe' KV7GENREG64.dll
expect "family library, careless load: taken from the current directory" \
  "$(cat "$work/careless.out") $(marks)" \
  'KV7GENREG64.dll=C:\work\KV7GENREG64.dll ./work/KV7GENREG64.dll.loaded '
family_probe relative 'C:\probe\family_library_probe.exe' 'relative;.;C:\windows'
expect "family library in the current directory or a relative PATH entry: not loaded" \
  "$(cat "$work/relative.out") $(marks)" 'open=90000002 '
family_probe absolute 'C:\probe\family_library_probe.exe' 'relative;C:\absolute'
expect "family library in an absolute PATH entry: loaded from there" \
  "$(cat "$work/absolute.out") $(marks)" 'open=0 ./absolute/KV7GENREG64.dll.loaded '
cp "$planted" "$drive/probe/KV7GENREG64.dll"
family_probe beside 'C:\probe\family_library_probe.exe' 'C:\absolute'
expect "family library beside the program: loaded from there first" \
  "$(cat "$work/beside.out") $(marks)" 'open=0 ./probe/KV7GENREG64.dll.loaded '

wine_checks_end
