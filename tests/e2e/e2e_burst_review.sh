#!/usr/bin/env bash
# Reviewing a multi shot with real input: a multi shot of 10 + 10 frames; the
# review opened from the context menu (right click, arrow keys, Return); Space
# on three frames; "未選択をごみ箱へ" clicked and its question answered: three
# files stay in the folder, the seventeen others are in the Recycle Bin (Wine's
# trash, here under a folder of the run's own), nothing is lost; Esc closes the
# window and Lorik runs on. Prints the time from the menu item to the whole
# strip as the window's count line shows it, and leaves a screenshot of the
# window in <build>/screenshots/burst_review.png.
# Usage: e2e_burst_review.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" burst_review

# Wine's Recycle Bin is the desktop trash of XDG_DATA_HOME, on the files' own volume.
export XDG_DATA_HOME=$work/xdg
trash=$XDG_DATA_HOME/Trash/files
mkdir -p "$XDG_DATA_HOME"

write_ini <<INI
$(single_shot_sections)
$(multi_shot_section 10 10)
$(target_capture_section)
INI

start_target
start_lorik
# The history needs the 10 frames from before the press.
sleep 2.5
press_multi_shot "$work/multi" 20
sleep 1
mapfile -t shot < <(ls "$work/multi" | sort)
[ "${#shot[@]}" -eq 20 ] || fail "expected 20 pictures of the multi shot, found ${#shot[@]}"

# The context menu: a right click on the main window, then the keyboard.
read -r mx my <<<"$(xdotool search --name '^Lorik$' getwindowgeometry --shell 2>/dev/null |
  awk -F= '/^X=/ { x = $2 } /^Y=/ { y = $2 } END { print x, y }')"
[ -n "$mx" ] || fail "no main window to right-click"
xdotool mousemove $((mx + 40)) $((my + 30)) click 3
sleep 0.7
xdotool key Down Down
start=$(date +%s%N)
xdotool key Return
title='^マルチショットの確認$'
wait_for_window "$title" 100 || fail "the review window did not open from the context menu"
status() { control text マルチショットの確認 1093; }
first_status=""
for _ in $(seq 300); do
  s=$(status)
  [ -z "$first_status" ] && [ -n "$s" ] && first_status=$s
  [[ -n $s && $s != *読み込み中* ]] && break
  sleep 0.05
done
end=$(date +%s%N)
echo "menu item to the whole strip of ${#shot[@]} frames (320x240 png): $(((end - start) / 1000000)) ms"
[ "$(status)" = "20枚中 0枚を残す" ] || fail "the count line says '$(status)'"

# The list has the focus and the press frame is selected: Space on it and on the next two.
xdotool search --name "$title" windowfocus --sync >/dev/null 2>&1
xdotool key space Right space Right space
sleep 0.3
[ "$(status)" = "20枚中 3枚を残す" ] || fail "after three Spaces the count line says '$(status)'"
# The preview of the frame selected last is decoded meanwhile.
sleep 1
mkdir -p "$build/screenshots"
import -window root "$build/screenshots/burst_review.png" 2>/dev/null || fail "no screenshot"

read -r bx by <<<"$(control center マルチショットの確認 1092)"
[ -n "$bx" ] || fail "no button 未選択をごみ箱へ"
xdotool mousemove "$bx" "$by" click 1
answer_message Lorik "asking whether to recycle the unmarked frames"
[ "$answered" = "未選択の画像17枚をごみ箱へ移動しますか?" ] || fail "the question was '$answered'"
sleep 1
mapfile -t kept < <(ls "$work/multi" | sort)
mapfile -t binned < <(ls "$trash" 2>/dev/null | sort)
echo "kept ${#kept[@]} files: ${kept[*]}"
echo "in the Recycle Bin: ${#binned[@]} files"
[ "${#kept[@]}" -eq 3 ] || fail "expected 3 files kept, found ${#kept[@]}"
[ "${#binned[@]}" -eq 17 ] || fail "expected 17 files in the Recycle Bin, found ${#binned[@]}"
# Nothing lost: every picture of the shot is either kept or in the bin, whole.
for f in "${shot[@]}"; do
  if [ -f "$work/multi/$f" ]; then
    got=$(identify -format '%m %w %h' "$work/multi/$f" 2>&1)
  else
    got=$(identify -format '%m %w %h' "$trash/$f" 2>&1)
  fi
  [ "$got" = "PNG 320 240" ] || fail "$f: identify says '$got'"
done
# The three kept are the ones marked: the press frame and the two after it, in a row.
[ "$(status)" = "3枚中 3枚を残す" ] || fail "after the recycling the count line says '$(status)'"

# Esc closes the review; Lorik runs on.
xdotool search --name "$title" windowfocus --sync >/dev/null 2>&1
xdotool key Escape
for _ in $(seq 50); do
  xdotool search --name "$title" >/dev/null 2>&1 || break
  sleep 0.1
done
! xdotool search --name "$title" >/dev/null 2>&1 || fail "Esc did not close the review window"
xdotool search --name '^Lorik$' >/dev/null 2>&1 || fail "Lorik ended with the review window"
echo "PASS"
