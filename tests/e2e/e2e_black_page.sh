#!/usr/bin/env bash
# A page whose window gives only 0x00000000 to a window-DC grab, as a browser
# page drawn through the compositor does. Under Wine the screen shows it black
# as well, and PrintWindow of another process's window gives nothing, so this
# is what a user sees of the fallback chain here:
# - uncovered, the screen confirms that the page really is black: Lorik.exe
#   saves it as it is, stays on its first method and says nothing;
# - once another window covers the page, nothing can confirm it: one message
#   says that every method gives black and suggests turning off the browser's
#   hardware acceleration, and it does not come again. Leaves a screenshot of
#   the message in <build>/screenshots/black_page_message.png.
# Usage: e2e_black_page.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" black_page
id() { awk -v n="$1" '$1 == "#define" && $2 == n { print $3 }' "$root/res/resource.h"; }
message_open() {
  run "$build/tests/fixture_dialog.exe" front Lorik >/dev/null 2>&1
  [ $? != 2 ]
}

write_ini <<INI
$(single_shot_sections)
$(target_capture_section)
INI

start_target 3366CC black-dc
start_lorik
# Longer than two confirmation periods of the chain.
sleep 5
message_open && fail "a message about a page that really is black: '$(control message Lorik)'"
single_shot 1
file="$work/single/$(shots | head -1)"
got=$(convert "$file" -format '%[hex:p{160,120}]' info: 2>/dev/null)
[ "${got:0:6}" = 000000 ] || fail "the black page was saved as #${got:0:6}"
status=$(control text Lorik "$(id IDC_PROGRESS_INFO)")
[[ $status == *"("* ]] && fail "the status line names a fallback for a black page: '$status'"

# Another window over the page's client area.
run "$build/tests/fixture_parent.exe" >/dev/null 2>&1 &
pids+=($!)
wait_for_window '^Lorik e2e parent$' 100 || fail "the covering window did not appear"
read -r tx ty <<<"$(xdotool search --name '^Lorik e2e target$' getwindowgeometry --shell 2>/dev/null |
  awk -F= '/^X=/ { x = $2 } /^Y=/ { y = $2 } END { print x, y }')"
run "$build/tests/fixture_dialog.exe" move "Lorik e2e parent" $((tx + 40)) $((ty + 40)) >/dev/null 2>&1
text=""
for _ in $(seq 100); do
  text=$(control message Lorik)
  [ -n "$text" ] && break
  sleep 0.1
done
[[ $text == *真っ黒*ハードウェアアクセラレーション* ]] || fail "no message about the black page: '$text'"
echo "message: $text"
mkdir -p "$build/screenshots"
import -window root "$build/screenshots/black_page_message.png" 2>/dev/null
answer_message Lorik "about the black page"
sleep 5
message_open && fail "the message came again: '$(control message Lorik)'"
echo "PASS"
