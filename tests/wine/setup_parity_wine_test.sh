#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
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
# - a setup killed while it holds the single-setup guard: while another
#   process keeps the guard open the next setup ends with 8100 and the one
#   after it runs; with no one keeping it open the guard goes with the
#   killed setup.
#
#   setup_parity_wine_test.sh <wine-env.sh> <Windows helpers dir>
#                             <native image dir> <native setup_guard_holder>
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR. The runs of each table
# go to Wine as one batch, so that Wine starts once per table.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_checks.sh
source "$here/wine_checks.sh"
# shellcheck source=emulated_parity.sh
source "$here/emulated_parity.sh"

[[ $# == 4 ]] || {
  echo "usage: $0 <wine-env.sh> <Windows helpers dir> <native image dir>" \
    "<native setup_guard_holder>" >&2
  exit 1
}
native_guard_holder=$4
[[ -x $native_guard_holder ]] || { echo "missing: $native_guard_holder" >&2; exit 1; }
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
)
readonly with_a_copy=(
  'no copy named: the question, answered No|8115|/l C:\logs\i01.log'
  'the copy by name|0|/l C:\logs\i02.log /n SITEA'
  'the copy by name in other letters|0|/l C:\logs\i03.log /n sitea'
  'the copy by path|0|/l C:\logs\i04.log /p C:\apps\SITEA'
  'the copy by path with a trailing backslash|0|/l C:\logs\i05.log /p C:\apps\SITEA\'
  'new copy requested|0|/l C:\logs\i06.log /o'
  'a further copy by name and path|0|/l C:\logs\i07.log /n SITEB /p C:\apps\SITEB'
  'response file of the copy|0|/l C:\logs\i08.log /u C:\rsp\trailing.rsp'
  'response file without copy name and path|8115|/l C:\logs\i09.log /u C:\rsp\unnamed.rsp'
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
  (cd "$drive" && kv7_wine 'C:\kv7test\batch_runner.exe' "C:\\kv7test\\$state.lst" \
    "C:\\kv7test\\$state" >"$work/$state.batch" 2>&1) ||
    check_fail "$state: the batch ran to its end" "$(cat "$work/$state.batch")"
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

compare_table empty "${without_copies[@]}"

wine_checks_end
