#!/usr/bin/env bash
# Desktop mode: Lorik.exe captures a screen rectangle over the target's client
# area and, when the target window is moved, moves the rectangle with it, so a
# single shot after the move still shows the target: the white page at the
# corner, the block of the colour the target was started with at the centre.
# Usage: e2e_desktop_tracking.sh <build dir>; DISPLAY and WINEPREFIX are set by
# the caller.
set -u
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
run() { "$root/cmake/wine-run" "$@"; }

colour=E03C8A
work=$(mktemp -d /tmp/lorik_desktop.XXXXXX)
pids=()
cleanup() {
  run "$build/tests/fixture_close.exe" Lorik e2e target >/dev/null 2>&1
  run "$build/tests/fixture_close.exe" "Lorik" >/dev/null 2>&1
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
wait_for_window() { # title regex, tenths of a second
  for _ in $(seq "$2"); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
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
shots() { ls "$work/single" 2>/dev/null | sort; }
single_shot() { # number of files expected afterwards
  # The hotkeys are global, but the key press has to reach a Wine window.
  xdotool search --name '^Lorik e2e target$' windowfocus --sync >/dev/null 2>&1
  xdotool key ctrl+alt+s
  for _ in $(seq 100); do
    [ "$(shots | wc -l)" -ge "$1" ] && break
    sleep 0.1
  done
  sleep 0.5
  [ "$(shots | wc -l)" -eq "$1" ] || fail "expected $1 single-shot files, found: $(shots | tr '\n' ' ')"
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

cp "$build/Lorik.exe" "$work/"
windir=$(run winepath -w "$work" 2>/dev/null | tr -d '\r')
[ -n "$windir" ] || fail "winepath failed for $work"

run "$build/tests/fixture_target.exe" "$colour" >/dev/null 2>&1 &
pids+=($!)
wait_for_window '^Lorik e2e target$' 100 || fail "the target window did not appear"
sleep 1
read -r cx cy <<<"$(client_origin)"
[ -n "$cx" ] || exit 1
echo "client area at $cx,$cy"

# Lorik's own window stays in the top left corner, away from the target, and
# shows no thumbnail: the saved picture would be a second block on the screen.
cat >"$work/Lorik.ini" <<INI
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
App name=fixture_target.exe
Title=Lorik e2e target
Class name=LorikE2eTarget
Target width=320
Target height=240
Area X=$cx
Area Y=$cy
Area width=320
Area height=240
Capture from desktop=1
Re-target on boot if capture from desktop=0
Show dialog on lost=0
Period between each capture=100
INI
sed -i 's/$/\r/' "$work/Lorik.ini"

(cd "$work" && run ./Lorik.exe >/dev/null 2>&1) &
pids+=($!)
wait_for_window '^Lorik$' 150 || fail "Lorik's main window did not appear"
sleep 2
single_shot 1
check_shows_target "$work/single/$(shots | head -1)" "before the move"

target=$(xdotool search --name '^Lorik e2e target$' | head -1)
xdotool windowmove "$target" 700 600 || fail "xdotool could not move the target"
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
