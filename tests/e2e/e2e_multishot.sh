#!/usr/bin/env bash
# Lorik.exe end to end: it finds a target window described in its settings
# file, a multi-shot hotkey pressed through the X server saves the frames from
# before and after the press, a single-shot hotkey one more, each file readable
# by an independent decoder. Usage: e2e_multishot.sh <build dir>; DISPLAY and
# WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" multishot

# UTF-8 text; Lorik reads it and writes it back as UTF-16 at exit.
write_ini <<INI
$(single_shot_sections)
$(multi_shot_section 10 10)
[Save]
Image type=png
Conversion thread number=2
$(target_capture_section)
INI

start_target
start_lorik
# Fill the history with more than the 10 frames from before the press.
sleep 2.5

# The focus stays on the target window: the hotkeys are global.
xdotool search --name '^Lorik e2e target$' windowfocus --sync >/dev/null 2>&1
before=$(date +%H%M%S)
xdotool key ctrl+alt+1
after=$(date +%H%M%S)
sleep 3
xdotool key ctrl+alt+s
sleep 2
import -window root "$work/../lorik_e2e_multishot.png" 2>/dev/null

run "$build/tests/fixture_close.exe" "Lorik" >/dev/null 2>&1 || fail "Lorik did not close"
wait "${pids[1]}" 2>/dev/null

mapfile -t multi < <(ls "$work/multi" 2>/dev/null | sort)
mapfile -t single < <(ls "$work/single" 2>/dev/null | sort)
echo "multi shot: ${#multi[@]} files, single shot: ${#single[@]} files"
[ "${#multi[@]}" -eq 20 ] || fail "expected 20 multi-shot files, found ${#multi[@]}: ${multi[*]}"
[ "${#single[@]}" -eq 1 ] || fail "expected 1 single-shot file, found ${#single[@]}"

# Every frame of the shot is named after the press: one date and time for all.
prefixes=$(printf '%s\n' "${multi[@]}" | sed -E 's/^(m_[0-9]{8}_[0-9]{6})_.*/\1/' | sort -u)
[ "$(echo "$prefixes" | wc -l)" -eq 1 ] || fail "frames carry different start times: $prefixes"
[[ $prefixes =~ ^m_$(date +%Y%m%d)_[0-9]{6}$ ]] || fail "unexpected name ${multi[0]}"
stime=${prefixes##*_}
[[ ! $stime < $before && ! $stime > $after ]] ||
  fail "start time $stime is not the press time ($before..$after)"
# Ten frames were taken before the press, ten after.
earlier=0
for f in "${multi[@]}"; do
  t=$(echo "$f" | sed -E 's/^m_[0-9]{8}_[0-9]{6}_([0-9]{6})_.*/\1/')
  [[ $t < $stime || $t == "$stime" ]] && earlier=$((earlier + 1))
done
[ "$earlier" -ge 10 ] || fail "only $earlier frames from before or at the press"

# One frame per period: the capture times in the names (to the millisecond)
# each lie within half a period of their slot on the 100 ms grid of the first,
# so no slot was skipped or taken twice and no lateness added up.
off=$(printf '%s\n' "${multi[@]}" |
  sed -E 's/^m_[0-9]{8}_[0-9]{6}_([0-9]{2})([0-9]{2})([0-9]{2})_([0-9]{3}).*/\1 \2 \3 \4/' |
  awk '{ t = (($1 * 60 + $2) * 60 + $3) * 1000 + $4; if (NR == 1) first = t
         d = t - first - 100 * (NR - 1); if (d <= -50 || d >= 50) printf "frame %d %+d ms; ", NR, d }')
[ -z "$off" ] || fail "the frames are not 100 ms apart: $off"

for f in "${multi[@]/#/$work/multi/}" "$work/single/${single[0]}"; do
  got=$(identify -format '%m %w %h' "$f" 2>&1)
  [ "$got" = "PNG 320 240" ] || fail "$(basename "$f"): identify says '$got'"
done

# The settings came back at exit, as UTF-16 with every key.
iconv -f UTF-16 -t UTF-8 "$work/Lorik.ini" | grep -q '^Number of capture skipped after save=0' ||
  fail "the settings file was not written back in full"
echo "PASS"
