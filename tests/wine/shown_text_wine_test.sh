#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# What a person sees of the Windows setup.exe, under Wine on a real X display
# (Xvfb): the boxes are read back from their windows as UTF-16 by
# box_text_probe.exe, so the texts are compared as they are shown, not as
# setup meant them.
#
# - On an English prefix (code page 1252) every language whose message file
#   is in another code page shows its own text of the unknown-option message
#   exactly, with the error icon, and ends with 8115; the usage text follows
#   (asked for with /?, without an icon); the log-overwrite question is a
#   Yes/No box with the warning icon, and No ends the run (8115); a path the
#   user typed keeps its own letters in a message of another code page.
# - A /u run into a pipe writes the message file's bytes unchanged; on a
#   terminal (a Wine console) the same text arrives decoded; the /u log of
#   a language of another code page is UTF-8 with a byte-order mark.
# - On a Japanese prefix (LANG=ja_JP.UTF-8, code page 932) a Western
#   language keeps every letter, and the system's language is Japanese.
#
#   shown_text_wine_test.sh <wine-env.sh> <Windows helpers dir>
#                           <message sources dir> <code pages list>
#
# The Windows image comes from KV7_WINDOWS_IMAGE_DIR.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_checks.sh
source "$here/wine_checks.sh"

[[ $# == 4 ]] || {
  echo "usage: $0 <wine-env.sh> <Windows helpers dir> <message sources dir> <code pages list>" >&2
  exit 1
}
messages=$3
code_pages=$4
command -v Xvfb >/dev/null || { echo "Xvfb missing: apt-get install xvfb" >&2; exit 1; }
command -v localedef >/dev/null && [[ -d /usr/share/i18n/locales ]] ||
  { echo "localedef or its locale sources missing: apt-get install locales" >&2; exit 1; }
command -v script >/dev/null || { echo "script missing: apt-get install bsdutils" >&2; exit 1; }
export KV7_WINE_TIMEOUT=${KV7_WINE_TIMEOUT:-120}
wine_checks_begin "$1" "$2"

# The option code of every language and its locale directory, as setup's
# language table has them.
declare -A locale_of=(
  [AR]=ar_aa [BG]=bg_bg [CZ]=cs_cz [DK]=da_dk [DE]=de_de [EL]=el_gr [EN]=en_US [ES]=es_es
  [FI]=fi_fi [IW]=iw_il [HU]=hu_hu [IT]=it_it [JP]=ja_jp [KR]=ko_kr [NL]=nl_nl [NO]=no_no
  [PL]=pl_pl [RO]=ro_ro [RU]=ru_ru [HR]=hr_hr [SK]=sk_sk [SE]=sv_se [TR]=tr_tr [SL]=sl_si
  [TW]=Zh_tw [FR]=fr_fr [BR]=pt_br [CN]=zh_cn [PT]=pt_pt
)
# A text of the message sources (UTF-8), as setup looks it up.
message() { sed -n "s/^$2=//p" "$messages/$1/Launch.pro"; }
code_page_of() { grep -o "$1:CP[0-9]*" "$code_pages" | sed 's/.*:CP//'; }

# A display of its own for this suite; Wine draws on it. Windows that no
# window manager manages are hidden at once (a managed one waits two seconds
# for a window manager that is not there).
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
stop_display() { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
trap 'wine_checks_cleanup; stop_display' EXIT
read -r -t 30 -u "$display_fd" display_number ||
  { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=:$display_number
kv7_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

mkdir -p "$drive/image" "$drive/out" "$drive/logs"
cp -r "$windows_image/launchmsg" "$windows_image/setup.exe" "$drive/image/"
printf 'an earlier log\r\n' >"$drive/logs/exists.log"

# Runs a list of runs (name, answers, command line) through the probe;
# its standard output goes to $work/<list>.out.
probe_runs() { # list name
  rm -rf "$drive/out" && mkdir -p "$drive/out"
  (cd "$drive" && kv7_wine 'C:\kv7test\box_text_probe.exe' "C:\\$1.txt" 'C:\out' \
    >"$work/$1.out" 2>"$work/$1.err")
}
out() { cat "$drive/out/$1" 2>/dev/null || printf '<none>'; }
box() { out "$1" | tr '\n' ' '; }

# 1. The English prefix: one batch of runs.
declare -a other_code_page=()
for code in "${!locale_of[@]}"; do
  [[ $(code_page_of "${locale_of[$code]}") == 1252 ]] || other_code_page+=("$code")
done
mapfile -t other_code_page < <(printf '%s\n' "${other_code_page[@]}" | sort)
expect "languages of another code page than 1252" "${#other_code_page[@]}" 17
{
  for code in "${other_code_page[@]}"; do
    printf '%s\t-\tC:\\image\\setup.exe /i %s /z\n' "$code" "$code"
  done
  printf 'help\t-\tC:\\image\\setup.exe /i JP /?\n'
  printf 'question\tn\tC:\\image\\setup.exe /i RU /l C:\\logs\\exists.log\n'
  printf 'mixed\t-\tC:\\image\\setup.exe /i RU /p C:\\J\xc3\xb6rg<x\n'
  printf 'piped\t-\tC:\\image\\setup.exe /i RU /u C:\\none.rsp /l C:\\logs\\ru.log\n'
} >"$drive/english.txt"
started=$SECONDS
probe_runs english
expect "English prefix: every run ended" "$?" 0
echo "English prefix: $((${#other_code_page[@]} + 4)) runs in $((SECONDS - started)) s"

for code in "${other_code_page[@]}"; do
  locale=${locale_of[$code]}
  expect "$code: caption" "$(out "$code.1.caption")" "$(message "$locale" CLI_SETUP)"
  expect "$code: the unknown-option message" "$(out "$code.1.text")" \
    "$(message "$locale" IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM)"
  expect "$code: an error box" "$(box "$code.1.box")" 'buttons=OK icon=error '
  expect "$code: exit code" "$(out "$code.code")" 8115
done
# The usage text after the syntax error, and asked for.
usage_start="setup [/?] [/i <$(message ja_jp LANGUAGE)>]"
expect "JP: the usage text follows the message" "$(out JP.2.text | head -n 1)" \
  "$usage_start [/l <$(message ja_jp LOG_FILE)>] [/n <$(message ja_jp CLI_COPY_NAME)>] [/p <$(message ja_jp PATH_NAME)>] [/u <$(message ja_jp RESPONSE_FILE)>  [/m] ] [/o]"
expect "JP: the usage text is an error box too" "$(box JP.2.box)" 'buttons=OK icon=error '
expect_true "JP: the usage text holds the help of /?" \
  grep -qF "/? - $(message ja_jp HELP_OPTION)" "$drive/out/JP.2.text"
expect "/?: the usage text, without an icon" "$(box help.1.box)" 'buttons=OK icon=none '
expect "/?: the same usage text" "$(out help.1.text)" "$(out JP.2.text)"
expect "question: caption" "$(out question.1.caption)" "$(message ru_ru WARNING_HEADER)"
expect "question: text" "$(out question.1.text)" "$(message ru_ru WARNING_LOGFILE_OVERWRITE) "
expect "question: Yes and No, the warning icon" "$(box question.1.box)" 'buttons=Yes,No icon=warning '
expect "question: No ends the run" "$(out question.code)" 8115
# A path the user typed is the system's text (1252) in a Russian (1251)
# message: each shown in its own letters.
expect "a path of the system in a Russian message" "$(out mixed.1.text)" \
  "$(message ru_ru IMSG_LAUNCHER_ERROR_COPYPATH | sed 's/%s/C:\\Jörg<x/')"

# 2. Output into a pipe keeps the message file's bytes; the log is UTF-8.
piped_text=$(message ru_ru ERROR_RSP_FILE_INVALID | sed 's/%s/C:\\none.rsp/')
printf '\r\n%s:\r\n%s\r\n' "$(message ru_ru CLI_SETUP)" "$piped_text" |
  iconv -f UTF-8 -t CP1251 >"$work/piped.expected"
# The boxes' runs print nothing: the probe's output is the piped run's, its
# message and then the usage text.
head -c "$(stat -c %s "$work/piped.expected")" "$work/english.out" >"$work/piped.head"
expect_same_bytes "pipe: the bytes of the Russian message file" "$work/piped.head" \
  "$work/piped.expected"
expect "pipe: exit code" "$(out piped.code)" 8115
expect "log: UTF-8 with a byte-order mark" "$(head -c 3 "$drive/logs/ru.log" | od -An -tx1 | tr -d ' ')" \
  efbbbf
expect_true "log: the usage text in Russian" \
  grep -qF "/u - $(message ru_ru U_OPTION)" "$drive/logs/ru.log"

# 3. A terminal: Wine's console takes the text through WriteConsoleW and
#    writes it to the terminal as UTF-8.
(cd "$drive" && HOME=$KV7_WINE_HOME timeout "$KV7_WINE_TIMEOUT" script -qec \
  "wine 'C:\\image\\setup.exe' /i RU /u 'C:\\none.rsp' /l 'C:\\logs\\tty.log'" /dev/null \
  </dev/null >"$work/tty.out" 2>&1)
expect_true "console: the Russian text, decoded" grep -qF "$piped_text" "$work/tty.out"

# 4. A Japanese prefix: Wine takes the code page from the locale, which is
#    compiled here into a directory of the suite's own.
new_wine_session
mkdir -p "$work/locales"
if localedef -i ja_JP -f UTF-8 "$work/locales/ja_JP.UTF-8" >"$work/localedef.log" 2>&1; then
  printf 'de\t-\tC:\\image\\setup.exe /i DE /z\nsystem\t-\tC:\\image\\setup.exe /z\n' \
    >"$drive/japanese.txt"
  LOCPATH=$work/locales LC_ALL=ja_JP.UTF-8 probe_runs japanese
  expect "Japanese prefix: every run ended" "$?" 0
  expect "Japanese prefix: German keeps its letters" "$(out de.1.text)" \
    "$(message de_de IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM)"
  expect "Japanese prefix: German caption" "$(out de.1.caption)" "$(message de_de CLI_SETUP)"
  expect "Japanese prefix: the system's language is Japanese" "$(out system.1.text)" \
    "$(message ja_jp IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM)"
else
  check_fail "the Japanese locale could not be compiled" "$(cat "$work/localedef.log")"
fi

wine_checks_end
