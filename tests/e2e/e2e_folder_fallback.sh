#!/usr/bin/env bash
# A multi shot whose folder cannot be made loses no picture. The profile's
# folder lies under $work/blocked, a folder at start (the start-up check makes
# the profile's folder in it) and a plain file by the time of the press. The
# 20 pictures land in the default folder (the Pictures folder's "Lorik"
# subfolder) under their own names; while they are written one message box
# is open at a time: the first says what failed and how many pictures went
# where, and a follow-up, when the box was open while more failed, counts the
# rest; together they count 20, nothing else opens, also at exit, and Lorik
# then ends by itself. Prints the texts of the boxes.
# Usage: e2e_folder_fallback.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" folder_fallback

pictures_folder
default=$pictures/Lorik
rm -rf "$default"
mkdir -p "$work/blocked"
write_ini <<INI
$(single_shot_sections)
$(multi_shot_section 10 10 "$windir\\blocked\\multi")
[Save]
Image type=png
$(target_capture_section)
INI

start_target
watch_start Lorik
start_lorik
# The main window is found before its start-up check has run.
wait_for_folder "$work/blocked/multi" 50 || fail "the start-up check did not make the profile's folder"
# The folder the profile names can no longer be made.
rm -rf "$work/blocked"
echo "a file" >"$work/blocked"

# The history needs the 10 frames from before the press.
sleep 2.5
press_multi_shot "$default" 20
mapfile -t frames < <(ls "$default" 2>/dev/null | sort)
[ "${#frames[@]}" -eq 20 ] || fail "expected 20 pictures in $default, found ${#frames[@]}: ${frames[*]}"

# Answered only now, so that every failure has been counted by then.
answer_message Lorik "about the folder that could not be made"
texts=("$answered")
for _ in $(seq 20); do
  [ -n "$(control message Lorik)" ] && break
  sleep 0.1
done
if [ -n "$(control message Lorik)" ]; then
  answer_message Lorik "that follows up"
  texts+=("$answered")
fi
# Room for a box that should not come.
sleep 2

control close Lorik 0 >/dev/null || fail "no main window to close"
for _ in $(seq 100); do
  kill -0 "${pids[2]}" 2>/dev/null || break
  sleep 0.1
done
kill -0 "${pids[2]}" 2>/dev/null && fail "Lorik did not end by itself after its window closed"
watched=$(watch_stop)

echo "message boxes: ${#texts[@]}"
for t in "${texts[@]}"; do printf -- '--- Lorik\n%s\n' "$t"; done
echo "seen by the watcher: $watched"
[ "$(head -1 <<<"$watched")" = "most 1" ] || fail "not one box at a time: $watched"
[ "$(grep -c $'^box\t' <<<"$watched")" = "${#texts[@]}" ] ||
  fail "${#texts[@]} boxes answered, but the watcher saw: $watched"

cause="フォルダの作成に失敗しました：$windir\\blocked\\multi"
first=$(printf '%s\n%s' "$cause" "画像([0-9]+)枚を既定の保存先に保存しました：$picwin\\Lorik")
[[ ${texts[0]} =~ ^${first//\\/\\\\}$ ]] || fail "the first message says: ${texts[0]}"
total=${BASH_REMATCH[1]}
if [ "${#texts[@]}" -eq 2 ]; then
  more=$(printf '%s\n%s' "$cause" "さらに画像([0-9]+)枚を$picwin\\Lorikに保存しました")
  [[ ${texts[1]} =~ ^${more//\\/\\\\}$ ]] || fail "the follow-up says: ${texts[1]}"
  total=$((total + BASH_REMATCH[1]))
fi
[ "$total" -eq 20 ] || fail "the messages count $total pictures, not 20"

for f in "${frames[@]}"; do
  [[ $f =~ ^m_[0-9]{8}_[0-9]{6}_[0-9]{6}_[0-9]{3}\.png$ ]] || fail "unexpected file $f"
  got=$(identify -format '%m %w %h' "$default/$f" 2>&1)
  [ "$got" = "PNG 320 240" ] || fail "$f: identify says '$got'"
done
[ "$(cat "$work/blocked")" = "a file" ] || fail "the file in the folder's way was changed"
rm -rf "$default"
echo "PASS"
