#!/usr/bin/env bash
# A new user's first multi shot lands without a folder ever being typed. No
# settings file: the message about it, then the settings; the picker dropped
# on the target and its block recognised; the hotkey tab's folder fields are
# empty and show the default folder (the Pictures folder's "Lorik" subfolder)
# as a grey cue, and the multi-shot preview names a file there; OK makes that
# folder; the default multi-shot key then saves its 10 + 10 pictures of the
# block into it, and no message box opens. Leaves a screenshot of the hotkey
# tab in <build>/screenshots/first_multishot_hotkey_tab.png.
# Usage: e2e_first_multishot.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" first_multishot

pictures_folder
default=$pictures/Lorik
rm -rf "$default"

start_target
(cd "$work" && run ./Lorik.exe >/dev/null 2>&1) &
pids+=($!)
wait_for_window '^Lorik$' 150 || fail "no message about the missing settings file"
answer_message Lorik "about the missing settings file"
wait_for_window '^設定$' 100 || fail "the settings dialog did not open after the message"
sleep 1

drag_onto '^Lorik e2e target$'
[ "$(field 1001)" = "Lorik e2e target" ] || fail "drop on the target: title '$(field 1001)'"
click 1042
answer_message Lorik "about the recognised block"
sleep 1
area="$(field 1038) $(field 1040) $(field 1039) $(field 1041)"
[ "$area" = "20 20 280 200" ] || fail "recognised area: '$area'"

open_hotkey_tab
[ "$(field 1012)" = "" ] || fail "a new single-shot folder field shows '$(field 1012)'"
[ "$(field 1014)" = "" ] || fail "a new multi-shot folder field shows '$(field 1014)'"
mkdir -p "$build/screenshots"
import -window root "$build/screenshots/first_multishot_hotkey_tab.png" 2>/dev/null ||
  fail "no screenshot of the hotkey tab"
# The preview names the file a shot would get: in the default folder.
click 1019
for _ in $(seq 50); do
  preview=$(control message Lorik)
  [ -n "$preview" ] && break
  sleep 0.1
done
[[ $preview == "$picwin\\Lorik\\"*.png ]] || fail "the multi-shot preview shows '$preview'"
answer_message Lorik "of the multi-shot preview"

# From here on no message at all: not at OK, not while the history fills, not for the shot.
watch_start Lorik
settings_ok
# The settings check made the folder of the shots in use (it runs once the dialog has gone).
wait_for_folder "$default" 50 || fail "OK did not make the default folder $default"
[ -z "$(ls -A "$default")" ] || fail "the default folder is not empty before the shot: $(ls "$default")"

# The history needs the 10 frames from before the press.
sleep 2.5
press_multi_shot "$default" 20
# Time for a 21st file or a message to show up.
sleep 1.5
boxes=$(watch_stop)
mapfile -t frames < <(ls "$default" | sort)
echo "default folder $picwin\\Lorik ($default): ${#frames[@]} files"
[ "${#frames[@]}" -eq 20 ] || fail "expected 20 pictures in $default, found ${#frames[@]}: ${frames[*]}"
[ "$(head -1 <<<"$boxes")" = "most 0" ] || fail "message boxes during the shot: $boxes"
for f in "${frames[@]}"; do
  [[ $f == Lk_*.png ]] || fail "unexpected file $f"
  got=$(identify -format '%m %w %h' "$default/$f" 2>&1)
  [ "$got" = "PNG 280 200" ] || fail "$f: identify says '$got'"
done

# "Check on exit" is on for a new user: the question comes, and OK ends Lorik.
control close Lorik 0 >/dev/null || fail "no main window to close"
answer_message Lorik "asking whether to exit"
for _ in $(seq 100); do
  kill -0 "${pids[1]}" 2>/dev/null || break
  sleep 0.1
done
! kill -0 "${pids[1]}" 2>/dev/null || fail "Lorik did not end after the exit question"
# The settings file keeps the empty folders: they mean the default one.
ini=$(iconv -f UTF-16 -t UTF-8 "$work/Lorik.ini" 2>/dev/null | tr -d '\r')
[ "$(grep -c '^Folder=$' <<<"$ini")" -ge 2 ] || fail "Lorik.ini does not keep the empty folders"
rm -rf "$default"
echo "PASS"
