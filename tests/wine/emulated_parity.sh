# shellcheck shell=bash disable=SC2034,SC2154
# Sourced by the Wine end-to-end tests after wine_checks.sh: runs the native
# programs on an emulated machine made to match the Wine prefix, and checks
# that both platforms answer alike.
#
#   parity_begin <native image dir>
#   sync_emulated_machine         # after every change of the prefix's state
#   compare_setup_with_emulated <label> <setup arguments...>
#   compare_inventory_with_emulated <label>
#
# The emulated machine gets the prefix's installed copies (the files below
# C:\kv7), its response files (C:\rsp), the same images at the same Windows
# paths (the folders of C:\media), the prefix's shares (dosdevices/unc), with
# the native programs in place of the .exe files in both, and the registry
# keys the programs read, exported from the prefix with Wine's own reg.exe.

readonly parity_registry_keys=(
  'HKLM\SOFTWARE\QOR'
  'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
  'HKLM\SYSTEM\CurrentControlSet\Control\Nls\Language'
)
readonly parity_copied_trees=(kv7 apps rsp)
parity_runs=0

parity_begin() { # native image dir
  native_image=$1
  local program
  for program in setup kv7inventory rspcheck; do
    [[ -x $native_image/$program ]] || {
      echo "missing: $native_image/$program (build the native programs first)" >&2
      exit 1
    }
  done
  machine=$work/machine
  # The emulated machine names the installer in its own system directory;
  # Wine spells its own differently (C:\windows\system32). Each output is
  # compared with that one name carried over.
  (cd "$drive" && kv7_wine 'C:\kv7test\system_directory.exe' >"$work/system_directory" 2>/dev/null)
  wine_system_directory=$(cat "$work/system_directory")
  [[ $wine_system_directory == [A-Za-z]:\\* ]] || {
    echo "no system directory from Wine: '$wine_system_directory'" >&2
    exit 1
  }
}

# The registry keys of the prefix as one registry file for the emulated
# machine. A key that does not exist yet is left out.
export_prefix_registry() { # host file
  local key
  printf 'Windows Registry Editor Version 5.00\n\n' >"$1"
  for key in "${parity_registry_keys[@]}"; do
    rm -f "$drive/kv7test/export.reg"
    if kv7_wine reg export "$key" 'C:\kv7test\export.reg' /y >/dev/null 2>&1; then
      # reg.exe writes UTF-16 with its own header line, dropped here.
      iconv -f UTF-16 -t UTF-8 "$drive/kv7test/export.reg" | tr -d '\r' | tail -n +2 >>"$1"
    fi
  done
}

sync_emulated_machine() {
  rm -rf "$machine"
  mkdir -p "$machine/drive_c"
  export_prefix_registry "$machine/system.reg"
  local tree
  for tree in "${parity_copied_trees[@]}"; do
    [[ -e $drive/$tree ]] && cp -a "$drive/$tree" "$machine/drive_c/"
  done
  cp -a "$drive/media" "$machine/drive_c/"
  [[ -d $WINEPREFIX/dosdevices/unc ]] && cp -a "$WINEPREFIX/dosdevices/unc" "$machine/unc"
  local exe native
  while IFS= read -r -d '' exe; do
    native=$native_image/$(basename "$exe" .exe)
    rm -f "$exe"
    [[ -x $native ]] && cp "$native" "$(dirname "$exe")/"
  done < <(find "$machine/drive_c/media" "$machine/unc" -name '*.exe' -print0 2>/dev/null)
}

# A Windows command line from words that a Windows program's runtime takes
# apart into the same words: a word that is empty or holds a blank is
# quoted, a double quote is escaped with a backslash, and the backslashes
# before a quote (or before the closing quote) are doubled.
windows_argument_line() { # words...
  perl -e 'print join " ", map {
      my $w = $_;
      my $q = $w eq "" || $w =~ /[ \t]/;
      $w =~ s/(\\*)"/$1$1\\"/g;
      $w =~ s/(\\+)$/$1$1/ if $q;
      $q ? "\"$w\"" : $w } @ARGV' -- "$@"
}

# Runs a native program of the emulated image C:\media\image (or the host
# program given by its full path) from C:\ with its whole exit code; no
# terminal, so every Yes/No box is answered No, as under Wine.
emulated_run() { # name, program, arguments...
  local name=$1 program=$2
  shift 2
  [[ $program == /* ]] || program=$machine/drive_c/media/image/$program
  rm -f "$work/$name.emulated-code"
  (cd "$machine/drive_c" &&
    env -u KV7_MSGBOX_ANSWERS KV7_MACHINE="$machine" KV7_EXIT_CODE_FILE="$work/$name.emulated-code" \
      "$program" "$@" </dev/null \
      >"$work/$name.emulated-out" 2>"$work/$name.emulated-err")
  emulated_code=$(cat "$work/$name.emulated-code" 2>/dev/null || echo none)
}

# What the emulated output is on Windows: lines end in CR LF (the C
# runtime's text mode), and the installer is named in Wine's system directory.
as_windows_output() { # emulated output file, result file
  local installer='C:\Windows\system32\msiexec.exe'
  local wine_installer="$wine_system_directory\\msiexec.exe"
  INSTALLER=$installer WINE_INSTALLER=$wine_installer \
    perl -pe 's/\Q$ENV{INSTALLER}\E/$ENV{WINE_INSTALLER}/g; s/\n/\r\n/' "$1" >"$2"
}

compare_setup_with_emulated() { # label, setup arguments...
  local label=$1
  shift
  local name="parity$((parity_runs += 1))"
  win_run "$name" "$(windows_command_line 'C:\media\image\setup.exe' "$@" -showcommand)"
  emulated_run "$name" setup "$@" -showcommand
  as_windows_output "$work/$name.emulated-out" "$work/$name.expected"
  expect "$label: exit code as on the emulated machine" "$run_code" "$emulated_code"
  expect_same_bytes "$label: output as on the emulated machine" "$work/$name.out" \
    "$work/$name.expected"
}

compare_inventory_with_emulated() { # label
  local name="parity$((parity_runs += 1))"
  win_run "$name" 'C:\media\image\kv7inventory.exe'
  emulated_run "$name" kv7inventory
  as_windows_output "$work/$name.emulated-out" "$work/$name.expected"
  expect "$1: kv7inventory exit code as on the emulated machine" "$run_code" "$emulated_code"
  expect_same_bytes "$1: kv7inventory output as on the emulated machine" "$work/$name.out" \
    "$work/$name.expected"
}
