#!/usr/bin/env bash
# The settings dialog of a first start: without a settings file Lorik says so
# and opens its settings on the capture tab. A real drag of the picker onto a
# child window and then onto the target locks on to each and shows its title;
# "領域自動認識" fills the fields with the target's block; OK with a period of
# 5 is refused and the dialog comes back with the 5; OK with a valid period
# and a single-shot folder typed on the hotkey tab applies both; the
# single-shot hotkey then saves a picture of the target's recognised block there, and
# the file written at exit holds the new target and period. Leaves screenshots
# of the capture tab before and after the drop in <build>/screenshots/settings_*.png.
# Usage: e2e_settings.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" settings
start_target
run "$build/tests/fixture_parent.exe" >/dev/null 2>&1 &
pids+=($!)
wait_for_window '^Lorik e2e parent$' 100 || fail "the parent window did not appear"

(cd "$work" && run ./Lorik.exe >/dev/null 2>&1) &
pids+=($!)
# The message about the missing file comes first, then the settings.
wait_for_window '^Lorik$' 150 || fail "no message about the missing settings file"
sleep 1
! xdotool search --name '^設定$' >/dev/null 2>&1 || fail "the settings opened before the message"
answer_message Lorik "about the missing settings file"
wait_for_window '^設定$' 100 || fail "the settings dialog did not open after the message"
sleep 1
[ "$(control tab 設定 1036)" = 0 ] || fail "the settings did not open on the first tab"
[ "$(field 1028)" = ウィンドウをロスト ] || fail "status on opening: '$(field 1028)'"
mkdir -p "$build/screenshots"
import -window root "$build/screenshots/settings_before_drop.png" 2>/dev/null ||
  fail "no screenshot before the drop"

# The child window of the parent fixture: 40, 40 inside its client area.
read -r cx cy <<<"$(xdotool search --name '^Lorik e2e parent$' getwindowgeometry --shell 2>/dev/null |
  awk -F= '/^X=/ { x = $2 } /^Y=/ { y = $2 } END { print x, y }')"
drag_to $((cx + 150)) $((cy + 150))
[ "$(field 1001)" = "Lorik e2e child" ] || fail "drop on the child: title '$(field 1001)'"
[ "$(field 1028)" = ウィンドウをロックオン ] || fail "drop on the child: status '$(field 1028)'"

drag_onto '^Lorik e2e target$'
[ "$(field 1001)" = "Lorik e2e target" ] || fail "drop on the target: title '$(field 1001)'"
import -window root "$build/screenshots/settings_after_drop.png" 2>/dev/null ||
  fail "no screenshot after the drop"

click 1042
# The block is not of the expected content size: recognition says so and keeps it.
answer_message Lorik "about the recognised block"
sleep 1
area="$(field 1038) $(field 1040) $(field 1039) $(field 1041)"
[ "$area" = "20 20 280 200" ] || fail "recognised area: '$area'"

control settext 設定 1024 5
click 1
answer_message Lorik設定チェック結果 "refusing a period of 5"
wait_for_window '^設定$' 50 || fail "the settings did not open again after the refusal"
wait_field 1024 5 50 || fail "the period field shows '$(field 1024)' after the refusal"
[ "$(control tab 設定 1036)" = 0 ] || fail "the second run did not open on the first tab"
[ "$(field 1001)" = "Lorik e2e target" ] || fail "the second run lost the target"

control settext 設定 1024 150
# The single-shot folder is on the hotkey tab; its page reads it back as the
# dialog closes.
open_hotkey_tab
control settext 設定 1012 "$windir\\single"
[ "$(field 1012)" = "$windir\\single" ] || fail "the single-shot folder shows '$(field 1012)'"
settings_ok
sleep 1

# The settings are in force: the default single-shot hotkey saves the
# recognised block of the target, not its whole client area.
single_shot 1
file="$work/single/$(shots | head -1)"
read -r format width height < <(identify -format '%m %w %h\n' "$file" 2>/dev/null | head -1)
[ "$format $width $height" = "PNG 280 200" ] ||
  fail "the shot after the settings is '$format $width $height', not a 280 x 200 png"

# "Check on exit" is on by default: the question comes, and OK ends Lorik.
run "$build/tests/fixture_dialog.exe" close Lorik 0 >/dev/null 2>&1 || fail "no main window to close"
answer_message Lorik "asking whether to exit"
for _ in $(seq 200); do
  [ -f "$work/Lorik.ini" ] && break
  sleep 0.1
done
ini=$(iconv -f UTF-16 -t UTF-8 "$work/Lorik.ini" 2>/dev/null | tr -d '\r')
for line in "Title=Lorik e2e target" "Class name=LorikE2eTarget" "App name=fixture_target.exe" \
  "Period between each capture=150" "Area X=20" "Area width=280"; do
  grep -qxF "$line" <<<"$ini" || fail "Lorik.ini lacks '$line'"
done
echo "PASS"
