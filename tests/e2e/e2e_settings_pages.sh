#!/usr/bin/env bash
# The hotkey, save and other pages of the settings dialog in a running Lorik.exe: a
# multi-shot hotkey set in the input control and committed with "変更" shows its name,
# reaches the settings file after OK and then takes shots of the new type and counts;
# the meta-character list opens once, is raised by a second click, ignores Enter and
# closes with Esc and with the dialog; the save page's estimates follow the buffer
# field as it is typed into; the other page's radio buttons enable their lists.
# Usage: e2e_settings_pages.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" settings_pages

# Control ids from the resource header, as the program knows them.
id() { awk -v n="$1" '$1 == "#define" && $2 == n { print $3 }' "$root/res/resource.h"; }
dlg() { run "$build/tests/fixture_dialog.exe" "$@" 2>/dev/null | tr -d '\r'; }
settings=設定
meta=使用可能なメタ文字一覧
# A failure leaves no modal dialog behind that would keep Lorik from closing.
fail() {
  echo "FAIL: $*" >&2
  run "$build/tests/fixture_close.exe" "$meta" >/dev/null 2>&1
  run "$build/tests/fixture_close.exe" "$settings" >/dev/null 2>&1
  exit 1
}

write_ini <<INI
$(single_shot_sections)
[MultiShot01]
Virtual key=49
Modifier=3
Folder=$windir\\multi
Format=m_%date%_%time%_%ms%
Number of saved image before hotkey=10
Number of saved image after hotkey=10
[Save]
Image type=png
Image bit depth=24
Conversion buff size=100
Save buff size=100
Conversion thread number=2
$(target_capture_section)
INI

start_target
start_lorik

# The Settings... command, as the context menu sends it.
run "$build/tests/fixture_dialog.exe" command Lorik "$(id ID_MENU_SETTING)" >/dev/null 2>&1
# A build whose Settings... command opens no dialog yet cannot run the rest.
wait_for_window "^$settings\$" 100 || {
  echo "SKIP: the Settings... command opened no settings dialog"
  exit 77
}
sleep 0.5

# Posted clicks and choices land a little later: these wait for their effect.
wait_text() { # control id, text; prints the last text read
  local got
  for _ in $(seq 50); do
    got=$(dlg text "$settings" "$1")
    [ "$got" = "$2" ] && break
    sleep 0.2
  done
  echo "$got"
}
wait_enabled() { # control id, 0 enabled | 1 disabled
  for _ in $(seq 20); do
    # Its exit code is the answer: not through dlg's pipe.
    run "$build/tests/fixture_dialog.exe" enabled "$settings" "$1" >/dev/null 2>&1
    [ $? -eq "$2" ] && return 0
    sleep 0.2
  done
  return 1
}

# Tab k of the dialog: a click on the first tab, then k steps to the right.
show_tab() {
  local left="" top
  for _ in $(seq 20); do
    read -r left top _ < <(dlg rect "$settings" "$(id IDC_TAB_SETTING)")
    [ -n "$left" ] && break
    sleep 0.2
  done
  [ -n "$left" ] || fail "no tab control"
  xdotool mousemove $((left + 20)) $((top + 10)) click 1
  for _ in $(seq "$1"); do xdotool key Right; done
  sleep 0.5
}
# Types into an edit field as the user does: click, select all, keys.
type_into() { # control id, text
  local x y
  read -r x y < <(dlg center "$settings" "$1")
  [ -n "$x" ] || fail "no control $1 to type into"
  xdotool mousemove "$x" "$y" click 1
  xdotool key ctrl+a BackSpace
  xdotool type --delay 50 "$2"
  sleep 0.3
}

# Hotkey page: Ctrl+Shift+M committed with its change button.
show_tab 1
hotkeyf_control_shift=3
dlg hotkey "$settings" "$(id IDC_HOTKEY_MULTI)" $(((hotkeyf_control_shift << 8) | 77))
dlg click "$settings" "$(id IDC_BUTTON_MULTI_CHANGE)"
for _ in $(seq 20); do
  name=$(dlg text "$settings" "$(id IDC_EDIT_MULTI_HOTKEY)")
  [[ $name == *M ]] && break
  sleep 0.2
done
[[ $name =~ ^(Ctrl|Control)\ \+\ Shift\ \+\ M$ ]] || fail "the committed hotkey reads '$name'"
[ -z "$(dlg text "$settings" "$(id IDC_HOTKEY_MULTI)" | grep -v '^None$')" ] ||
  fail "the input control was not cleared"
echo "ok   hotkey committed: $name"
type_into "$(id IDC_EDIT_BEFORE)" 3
type_into "$(id IDC_EDIT_AFTER)" 4
import -window root "$work/../lorik_e2e_settings_hotkey.png" 2>/dev/null

# The meta-character list: one window, raised by a second click, Enter keeps it.
dlg click "$settings" "$(id IDC_BUTTON_META_LIST)"
wait_for_window "^$meta\$" 50 || fail "the meta-character list did not open"
sleep 0.5
dlg click "$settings" "$(id IDC_BUTTON_META_LIST)"
sleep 0.5
n=$(dlg count "$meta")
[ "$n" = 1 ] || fail "after a second click $n lists are open"
[ "$(dlg active x)" = "$meta" ] || fail "the second click did not raise the list"
xdotool key Return
sleep 0.5
[ "$(dlg count "$meta")" = 1 ] || fail "Enter closed the list"
xdotool key Escape
sleep 0.5
[ "$(dlg count "$meta")" = 0 ] || fail "Esc did not close the list"
dlg click "$settings" "$(id IDC_BUTTON_META_LIST)"
wait_for_window "^$meta\$" 50 || fail "the list did not open again"
# Out of the way of the tabs, as a user would put it.
dlg move "$meta" 700 500
echo "ok   meta-character list"

# Save page: bmp, and the estimate follows the conversion buffer as it is typed.
show_tab 2
dlg select "$settings" "$(id IDC_COMBO_IMAGETYPE)" 0
got=$(wait_text "$(id IDC_EDIT_CONV_MEMORY)" 247)
[ "$got" = 247 ] || fail "100 bmp frames are estimated at $got MB"
type_into "$(id IDC_EDIT_CONV_BUFF)" 30
got=$(wait_text "$(id IDC_EDIT_CONV_MEMORY)" 74)
[ "$got" = 74 ] || fail "30 bmp frames are estimated at $got MB"
echo "ok   save estimates follow the typing"
import -window root "$work/../lorik_e2e_settings_save.png" 2>/dev/null

# Other page: each radio button enables the list under it.
show_tab 3
dlg click "$settings" "$(id IDC_RADIO_SAVE_FOLDER)"
wait_enabled "$(id IDC_COMBO_FOLDER_NO)" 0 || fail "the folder list stayed disabled"
wait_enabled "$(id IDC_COMBO_MULTI_SHOT_NO)" 1 || fail "the profile list stayed enabled"
dlg click "$settings" "$(id IDC_RADIO_MULTI_SHOT)"
wait_enabled "$(id IDC_COMBO_MULTI_SHOT_NO)" 0 || fail "the profile list stayed disabled"
wait_enabled "$(id IDC_COMBO_FOLDER_NO)" 1 || fail "the folder list stayed enabled"
dlg click "$settings" "$(id IDC_RADIO_SINGLE_SHOT)"
echo "ok   radio buttons enable their lists"
import -window root "$work/../lorik_e2e_settings_misc.png" 2>/dev/null

# OK: the list goes with the dialog.
dlg click "$settings" 1
for _ in $(seq 50); do [ "$(dlg count "$settings")" = 0 ] && break; sleep 0.1; done
[ "$(dlg count "$settings")" = 0 ] || fail "the settings dialog did not close with OK"
[ "$(dlg count "$meta")" = 0 ] || fail "the meta-character list outlived the dialog"
echo "ok   closed with OK"

# The new hotkey takes 3 frames before and 4 after the press, as bmp.
sleep 2.5
xdotool search --name '^Lorik e2e target$' windowfocus --sync >/dev/null 2>&1
xdotool key ctrl+shift+m
sleep 3
run "$build/tests/fixture_close.exe" "Lorik" >/dev/null 2>&1 || fail "Lorik did not close"
wait "${pids[1]}" 2>/dev/null

mapfile -t multi < <(ls "$work/multi" 2>/dev/null | sort)
[ "${#multi[@]}" -eq 7 ] || fail "expected 7 multi-shot files, found ${#multi[@]}: ${multi[*]}"
for f in "${multi[@]}"; do
  [[ $f == *.bmp ]] || fail "$f is not a bmp file"
  got=$(identify -format '%m %w %h' "$work/multi/$f" 2>&1)
  [[ $got =~ ^BMP[0-9]?\ 320\ 240$ ]] || fail "$f: identify says '$got'"
done
ini=$(iconv -f UTF-16 -t UTF-8 "$work/Lorik.ini" | tr -d '\r')
for line in "Virtual key=77" "Modifier=6" "Image type=bmp" "Conversion buff size=30" \
  "Number of saved image before hotkey=3" "Number of saved image after hotkey=4" \
  "Main button setting=0"; do
  grep -qx "$line" <<<"$ini" || fail "the settings file lacks '$line'"
done
echo "PASS"
