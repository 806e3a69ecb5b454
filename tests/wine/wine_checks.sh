# shellcheck shell=bash disable=SC2034,SC2154
# Sourced by the Wine end-to-end tests of the Windows programs: a private
# prefix, the staged Windows image placed in it, runs whose whole 32-bit exit
# code is read on the Windows side, and the bookkeeping of passed and failed
# checks.
#
#   source wine_checks.sh
#   wine_checks_begin <wine-env.sh> <Windows helpers dir>
#   ...
#   wine_checks_end            # prints the totals; its status is the test's
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR (the cross build's
# image directory, e.g. build/windows/image); without it the test is skipped
# and says so. Every Wine command runs headless, quiet and under a time limit
# (scripts/wine-env.sh), and the prefix is removed at the end.

readonly kv7_package_name='QOR Telvar Driver for ODBC, CLI, and .NET.msi'
readonly kv7_driver_code='{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}'
readonly kv7_copies_key='HKLM\SOFTWARE\QOR\KV7\InstalledCopies'

# shellcheck source=../checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"
# shellcheck source=windows_image.sh
source "$(dirname "${BASH_SOURCE[0]}")/windows_image.sh"

wine_checks_end() { checks_end; }

# Makes the work directory and the prefix; the helpers go to C:\kv7test.
wine_checks_begin() { # wine-env.sh, helpers dir
  local wine_env=$1
  helpers=$2
  [[ -f $wine_env ]] || { echo "missing: $wine_env" >&2; exit 1; }
  [[ -d $helpers ]] || { echo "missing: $helpers" >&2; exit 1; }
  windows_image_or_skip setup.exe kv7inventory.exe "$kv7_package_name" launchmsg/en_US/Launch.pro
  # The same language and code page on every host: Wine takes them from
  # the locale.
  export LC_ALL=C.UTF-8
  work=$(mktemp -d /tmp/kv7-wine-e2e.XXXXXX)
  trap wine_checks_cleanup EXIT
  # shellcheck source=/dev/null
  source "$wine_env" "$work/prefix" || exit 1
  drive=$WINEPREFIX/drive_c
  mkdir -p "$drive/kv7test"
  cp "$helpers"/*.exe "$drive/kv7test/"
}

# KV7_WINE_KEEP=1 keeps the work directory (prefix, outputs, emulated
# machine) for a look after a failure.
wine_checks_cleanup() {
  kv7_wine_stop 2>/dev/null
  if [[ ${KV7_WINE_KEEP:-} == 1 ]]; then
    echo "kept: $work"
  else
    rm -rf "$work"
  fi
}

# Ends every Windows process of the prefix, so that the next command starts
# a new session, with no desktop process yet.
new_wine_session() {
  HOME=$KV7_WINE_HOME timeout 60 wineserver -k 2>/dev/null
  HOME=$KV7_WINE_HOME timeout 60 wineserver -w 2>/dev/null || true
}

# Copies the launcher's image (message files and the package of the Windows
# build) to a host directory, with the given programs beside it.
place_image() { # host dir, package file, programs...
  local dir=$1 package=$2
  shift 2
  mkdir -p "$dir"
  cp -r "$windows_image/launchmsg" "$dir/"
  cp "$package" "$dir/$kv7_package_name"
  cp "$@" "$dir/"
}

# A Windows command line from words; a word with a blank is quoted.
windows_command_line() {
  local word line=
  for word in "$@"; do
    [[ $word == *' '* ]] && word="\"$word\""
    line+="${line:+ }$word"
  done
  printf '%s' "$line"
}

# Runs a Windows command line from C:\ under the exit-code parent. Standard
# output and error go to $work/<name>.out and .err; run_code is the child's
# whole exit code, or "none (wine <status>)" when it gave none (124: the time
# limit ended it).
win_run() { # name, command line
  local name=$1 line=$2 status
  rm -f "$drive/kv7test/$name.code"
  (cd "$drive" && kv7_wine 'C:\kv7test\exit_code_parent.exe' "C:\\kv7test\\$name.code" "$line" \
    >"$work/$name.out" 2>"$work/$name.err")
  status=$?
  if [[ -s $drive/kv7test/$name.code ]]; then
    run_code=$(tr -d '\r\n' <"$drive/kv7test/$name.code")
  else
    run_code="none (wine $status: $(tr -d '\r' <"$work/$name.err" | tr '\n' ' '))"
  fi
}

# A text value of the 64-bit registry view, or <missing>.
reg_value() { # key, value name
  local out
  out=$(kv7_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^    $2    REG_SZ    //p")
  printf '%s' "${out:-<missing>}"
}

# The host path of a path on the prefix's C: drive.
on_drive() { kv7_hostpath "$1"; }
