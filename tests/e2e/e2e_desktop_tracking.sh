#!/usr/bin/env bash
# Desktop mode: Lorik.exe captures a screen rectangle over the target's client
# area and, when the target window is moved, moves the rectangle with it, so a
# single shot after the move still shows the target: the white page at the
# corner, the block of the colour the target was started with at the centre.
# Usage: e2e_desktop_tracking.sh <build dir>; DISPLAY and WINEPREFIX are set by
# the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" desktop
colour=E03C8A
# Screen position "X Y" of the target's client area, found on the screen itself:
# its block of the fixed colour lies 20 pixels inside the client area.
client_origin() {
  import -window root "$work/screen.png" 2>/dev/null || fail "no screenshot"
  local box
  box=$(convert "$work/screen.png" -fill black +opaque "#$colour" -trim -format '%w %h %X %Y' info:)
  read -r w h x y <<<"$box"
  [ "$w $h" = "280 200" ] || fail "the target's block on the screen is '$box', not 280x200"
  echo "$((x - 20)) $((y - 20))"
}
# A region of a picture that is entirely of one colour: "RRGGBB" or empty.
uniform() { # file, geometry
  convert "$1" -crop "$2" +repage -unique-colors -format '%w %[hex:p{0,0}]' info: 2>&1 |
    awk '$1 == 1 { print substr($2, 1, 6) }'
}
check_shows_target() { # file, when
  local got
  got=$(identify -format '%m %w %h' "$1" 2>&1)
  [ "$got" = "PNG 320 240" ] || fail "$2: identify says '$got'"
  for corner in 10x10+0+0 10x10+310+0 10x10+0+230 10x10+310+230; do
    [ "$(uniform "$1" "$corner")" = FFFFFF ] || fail "$2: the region $corner is not the white page"
  done
  [ "$(uniform "$1" 200x120+60+60)" = "$colour" ] || fail "$2: the centre is not the target's block"
}


start_target "$colour"
sleep 1
read -r cx cy <<<"$(client_origin)"
[ -n "$cx" ] || exit 1
echo "client area at $cx,$cy"

# Lorik's own window stays in the top left corner, away from the target, and
# shows no thumbnail: the saved picture would be a second block on the screen.
write_ini <<INI
[General]
Window pos x=10
Window pos y=10
Check on exit=0
Maximum multi shot no=1
[SingleShot]
Folder=$windir\\single
Format=s_%date%_%time%_%ms%
[Save]
Image type=png
Preview image=0
[Capture]
$(target_identity)
Area X=$cx
Area Y=$cy
Area width=320
Area height=240
Capture from desktop=1
Re-target on boot if capture from desktop=0
Show dialog on lost=0
Period between each capture=100
INI

start_lorik
sleep 2
single_shot 1
check_shows_target "$work/single/$(shots | head -1)" "before the move"

# Moved through the window system, as a drag by the user does: without a window
# manager, Wine does not learn of an X-side move of the windows it frames itself.
run "$build/tests/fixture_move.exe" 700 600 "Lorik e2e target" || fail "could not move the target"
sleep 1
read -r nx ny <<<"$(client_origin)"
[ -n "$nx" ] || exit 1
echo "client area moved to $nx,$ny"
[ "$nx $ny" != "$cx $cy" ] || fail "the target window did not move"
# The old rectangle no longer shows the target, so a shot that did not follow
# the window would fail the checks below.
[ "$(uniform "$work/screen.png" "10x10+$cx+$cy")" != FFFFFF ] ||
  fail "the old rectangle still shows a white corner; move further"
sleep 1 # a few capture ticks for the tracking
single_shot 2
check_shows_target "$work/single/$(shots | tail -1)" "after the move"

xdotool search --name '^Lorik$' >/dev/null 2>&1 || fail "Lorik ended during the run"
run "$build/tests/fixture_close.exe" "Lorik" >/dev/null 2>&1 || fail "Lorik did not close"
echo "PASS"
