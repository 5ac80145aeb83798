#!/usr/bin/env bash
# Regenerates the README's pictures: Lorik's main window after a single shot of
# the end-to-end target, the four pages of the settings dialog and the
# meta-character list, each cropped to its own window; then the main window
# and the capture page again at 150 % (Wine's LogPixels at 144 for a second
# Lorik.exe, put back to 96 at the end).
# Usage: tools/screenshots.sh <Windows build dir> <output dir>; DISPLAY and
# WINEPREFIX are set by the caller (./lorik screenshots does it).
set -u
out=$(mkdir -p "${2:?output dir}" && cd "$2" && pwd)
. "$(dirname "$0")/../tests/e2e/common.sh" "${1:-}" screenshots

id() { awk -v n="$1" '$1 == "#define" && $2 == n { print $3 }' "$root/res/resource.h"; }
dlg() { run "$build/tests/fixture_dialog.exe" "$@" 2>/dev/null | tr -d '\r'; }
settings=設定
meta=使用可能なメタ文字一覧
shoot() { # title, file name
  local window
  window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1)
  [ -n "$window" ] || fail "no window '$1' to photograph"
  import -window "$window" "$out/$2" || fail "import of '$1' failed"
  echo "$out/$2"
}
# A failure leaves no modal dialog behind that would keep Lorik from closing.
fail() {
  echo "FAIL: $*" >&2
  run "$build/tests/fixture_close.exe" "$meta" >/dev/null 2>&1
  run "$build/tests/fixture_close.exe" "$settings" >/dev/null 2>&1
  exit 1
}
show_tab() { # k: a click on the first tab, then k steps to the right, until it shows
  local left top tab
  for _ in 1 2 3; do
    read -r left top _ < <(dlg rect "$settings" "$(id IDC_TAB_SETTING)")
    [ -n "$left" ] || fail "no tab control"
    xdotool mousemove $((left + 20)) $((top + 10)) click 1
    for _ in $(seq "$1"); do xdotool key Right; done
    # The pointer out of the way of the pictures.
    xdotool mousemove 5 5
    sleep 0.8
    tab=$(dlg tab "$settings" "$(id IDC_TAB_SETTING)")
    [ "$tab" = "$1" ] && return 0
  done
  fail "tab $1 did not show (tab $tab)"
}

# Folders as a Windows user would name them, in the prefix's drive C; the
# other keys take their defaults.
folders='C:\Lorik'
dpi() { run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'cleanup; dpi 96; rm -rf "$WINEPREFIX/drive_c/Lorik"' EXIT
shots() { ls "$WINEPREFIX/drive_c/Lorik/single" 2>/dev/null | sort; }
settings_ini() {
  write_ini <<INI
[General]
Check on exit=0
Maximum multi shot no=1
[SingleShot]
Folder=$folders\\single
[MultiShot01]
Folder=$folders\\multi
$(target_capture_section)
INI
}
settings_ini

start_target
start_lorik
sleep 2
single_shot 1
sleep 1
shoot Lorik main_window.png

run "$build/tests/fixture_dialog.exe" command Lorik "$(id ID_MENU_SETTING)" >/dev/null 2>&1
wait_for_window "^$settings\$" 100 || fail "the settings dialog did not open"
sleep 1
n=0
for page in capture hotkey save misc; do
  show_tab $n
  shoot "$settings" "settings_$page.png"
  if [ $page = hotkey ]; then
    dlg click "$settings" "$(id IDC_BUTTON_META_LIST)"
    wait_for_window "^$meta\$" 50 || fail "the meta-character list did not open"
    sleep 0.8
    shoot "$meta" meta_characters.png
    run "$build/tests/fixture_close.exe" "$meta" >/dev/null 2>&1
  fi
  n=$((n + 1))
done
# Cancel.
dlg click "$settings" 2
sleep 0.5

# At 150 %: a new Lorik.exe reads the DPI when it starts, from a settings file
# without the window's place, which the first one wrote in its own pixels.
run "$build/tests/fixture_close.exe" Lorik >/dev/null 2>&1
for _ in $(seq 50); do xdotool search --name '^Lorik$' >/dev/null 2>&1 || break; sleep 0.1; done
dpi 144
settings_ini
start_lorik
sleep 2
single_shot 2
sleep 1
shoot Lorik main_window_150.png
run "$build/tests/fixture_dialog.exe" command Lorik "$(id ID_MENU_SETTING)" >/dev/null 2>&1
wait_for_window "^$settings\$" 100 || fail "the settings dialog did not open at 150 %"
sleep 1
show_tab 0
shoot "$settings" settings_capture_150.png
dlg click "$settings" 2
sleep 0.5
