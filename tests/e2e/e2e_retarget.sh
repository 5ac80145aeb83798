#!/usr/bin/env bash
# Lorik.exe finds its target at start and, after the target has been closed and
# started again, finds the new window through the re-search: a single shot
# before and one after each save a picture of the target's client size.
# Leaves a screenshot of the main window after the first shot in
# <build>/screenshots/main_after_shot.png. Usage: e2e_retarget.sh <build dir>;
# DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" retarget
# No message at the loss: the re-search alone has to bring the target back.
write_ini <<INI
$(single_shot_sections)
[Save]
Image type=png
$(target_capture_section)
Capture from desktop=0
Automatically recapture after lost=1
Show dialog on lost=0
Search period=500
INI

start_target
start_lorik
sleep 2

single_shot 1
mkdir -p "$build/screenshots"
sleep 1 # the thumbnail and the status text follow the save
import -window root "$build/screenshots/main_after_shot.png" 2>/dev/null ||
  fail "no screenshot of the main window"

run "$build/tests/fixture_close.exe" Lorik e2e target >/dev/null 2>&1 || fail "the target did not close"
! xdotool search --name '^Lorik e2e target$' >/dev/null 2>&1 || fail "the target window is still there"
# Lorik notices the loss at its next capture tick; give it time to do so
# before the new window appears.
sleep 2
# The new window paints a block of a fixed colour, so the second picture can
# only have come from it.
start_target 3366CC
# More than the search period: the next re-search tick finds the new window.
sleep 2
single_shot 2

for f in $(shots); do
  got=$(identify -format '%m %w %h' "$work/single/$f" 2>&1)
  [ "$got" = "PNG 320 240" ] || fail "$f: identify says '$got'"
done

second=$work/single/$(shots | tail -1)
centre=$(convert "$second" -format '%[hex:p{160,120}]' info: 2>&1)
corner=$(convert "$second" -format '%[hex:p{5,5}]' info: 2>&1)
[ "${centre:0:6}" = 3366CC ] || fail "the second shot's centre is $centre, not the new window's block"
[ "${corner:0:6}" = FFFFFF ] || fail "the second shot's corner is $corner, not the white page"

xdotool search --name '^Lorik$' >/dev/null 2>&1 || fail "Lorik ended during the run"
run "$build/tests/fixture_close.exe" "Lorik" >/dev/null 2>&1 || fail "Lorik did not close"
echo "PASS"
