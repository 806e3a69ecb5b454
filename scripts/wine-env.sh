# shellcheck shell=bash
# Sourced, not run: sets this shell up to run Windows programs under Wine in a
# fresh, private prefix, headless and quiet, with every Wine command limited
# in time.
#
#   source scripts/wine-env.sh /tmp/some-new-dir   # creates and boots the prefix
#   kv7_wine msiexec /i "$(kv7_winpath "$pkg")" /qn /l*v 'C:\install.log'
#   kv7_wine_stop                                  # ends this prefix's wineserver
#
# The directory must not exist yet or be empty: a prefix left over from an
# earlier run would carry its installed products into the next one.
# KV7_WINE_TIMEOUT (seconds, default 300) limits each Wine command.

kv7_wine_env_fail() {
  echo "wine-env: $*" >&2
  return 1
}

kv7_wine_env_setup() {
  local dir=${1:-}
  [[ -n $dir ]] || { kv7_wine_env_fail "usage: source wine-env.sh <new prefix directory>"; return 1; }
  command -v wine >/dev/null && command -v wineboot >/dev/null && command -v wineserver >/dev/null ||
    { kv7_wine_env_fail "wine is not installed (apt-get install wine64)"; return 1; }
  if [[ -e $dir ]] && [[ -n $(ls -A "$dir" 2>/dev/null) ]]; then
    kv7_wine_env_fail "$dir is not empty; give a fresh directory"
    return 1
  fi
  mkdir -p "$dir" || return 1

  export WINEPREFIX
  WINEPREFIX=$(cd "$dir" && pwd)
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No X server: Wine then draws nothing and a message box returns at once.
  export DISPLAY=
  unset WAYLAND_DISPLAY
  # Without these Wine offers to download its .NET and HTML engines, and
  # writes menu entries for the prefix into the user's home.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export KV7_WINE_TIMEOUT=${KV7_WINE_TIMEOUT:-300}
  # Wine links the user's Documents, Desktop and the like to the host home,
  # where a program that writes into its documents folder (the launcher's
  # default log directory) would leave files behind. Wine sees a home of the
  # prefix's own instead.
  export KV7_WINE_HOME=$WINEPREFIX/home
  mkdir -p "$KV7_WINE_HOME" || return 1

  HOME=$KV7_WINE_HOME timeout "$KV7_WINE_TIMEOUT" wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 ||
    { kv7_wine_env_fail "wineboot failed, see $WINEPREFIX/wineboot.log"; return 1; }
  # wineboot returns before the prefix is written out; wait for its server.
  HOME=$KV7_WINE_HOME timeout "$KV7_WINE_TIMEOUT" wineserver -w ||
    { kv7_wine_env_fail "wineserver did not settle"; return 1; }
  kv7_wine_own_shell_folders
}

# Turns the user's shell folders of the prefix (links into the home) into
# plain directories, as they are on Windows, each its own.
kv7_wine_own_shell_folders() {
  local folder
  for folder in "$WINEPREFIX"/drive_c/users/*/*; do
    if [[ -L $folder ]]; then
      rm -f "$folder" && mkdir -p "$folder" || return 1
    fi
  done
}

# Runs a Windows program (or a builtin such as msiexec or reg) in the prefix.
# Its exit code is the program's, or 124 when the time limit ended it.
kv7_wine() {
  HOME=$KV7_WINE_HOME timeout "$KV7_WINE_TIMEOUT" wine "$@"
}

# The Windows path of a host path, through the prefix's Z: drive.
kv7_winpath() {
  local path
  path=$(realpath -m "$1") || return 1
  printf 'Z:%s\n' "${path//\//\\}"
}

# The host path of a path on the prefix's C: drive, for example
# "$(kv7_hostpath 'C:\kv7\SITEA')".
kv7_hostpath() {
  local rest=${1#[Cc]:}
  printf '%s/drive_c%s\n' "$WINEPREFIX" "${rest//\\//}"
}

# Waits for the programs of this prefix to end, then ends its wineserver.
kv7_wine_stop() {
  HOME=$KV7_WINE_HOME timeout 60 wineserver -w 2>/dev/null || true
  HOME=$KV7_WINE_HOME timeout 60 wineserver -k 2>/dev/null || true
}

kv7_wine_env_setup "${1:-}"
