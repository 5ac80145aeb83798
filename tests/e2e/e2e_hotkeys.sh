#!/usr/bin/env bash
# Real key presses from the X server reach the global hotkeys while another
# program has the focus: a tap is one shot, a held key that auto-repeats is one
# shot, and releasing and pressing again is another. The hotkey owner and the
# focus window are helper modes of test_hotkeys.exe (see its header).
# Usage: e2e_hotkeys.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$build/tests/test_hotkeys.exe
[ -f "$exe" ] || { echo "missing $exe" >&2; exit 1; }
command -v xdotool >/dev/null || { echo "xdotool is missing" >&2; exit 1; }

out=$(mktemp -d /tmp/lorik_hotkeys.XXXXXX)
windir=$("$root/cmake/wine-run" winepath -w "$out" 2>/dev/null | tr -d '\r')
[ -n "$windir" ] || { echo "winepath failed for $out" >&2; exit 1; }
host=$out/host.log
focus=$out/focus.log

pids=()
stop_helpers() {
  touch "$host.stop" "$focus.stop"
  local pid waited
  for pid in "${pids[@]}"; do
    for waited in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$out"
}
trap stop_helpers EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- host log" >&2
  cat "$host" >&2 2>/dev/null
  exit 1
}

wait_for_line() { # file, line, seconds
  local i
  for i in $(seq $(($3 * 10))); do
    grep -qx "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

count() { grep -cx "$1" "$host" 2>/dev/null; }

# Waits until the host has logged `want` lines equal to $1 and nothing more
# arrives for a while, then checks the count.
expect_count() { # line, want, what
  local i
  for i in $(seq 50); do
    [ "$(count "$1")" -ge "$2" ] && break
    sleep 0.1
  done
  sleep 1
  local got
  got=$(count "$1")
  [ "$got" -eq "$2" ] || fail "$3: $got '$1' lines, want $2"
  echo "ok   $3: $got '$1'"
}

"$root/cmake/wine-run" "$exe" --press-log "$windir\\host.log" >"$out/host.out" 2>&1 &
pids+=($!)
"$root/cmake/wine-run" "$exe" --focus-window "$windir\\focus.log" >"$out/focus.out" 2>&1 &
pids+=($!)
wait_for_line "$host" ready 60 || fail "the hotkey host did not start"
wait_for_line "$focus" ready 60 || fail "the focus window did not start"
grep -q '^message ' "$host" && fail "the hotkeys could not be registered"

wid=$(timeout 30 xdotool search --sync --limit 1 --name 'Lorik hotkey focus' 2>/dev/null | head -1)
[ -n "$wid" ] || fail "no X window for the focus window"
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
sleep 0.5

xdotool key ctrl+alt+s
expect_count single 1 "a tap of Ctrl+Alt+S"

before=$(count "wm_hotkey 16996")
xdotool keydown ctrl alt s
sleep 1
xdotool keyup s alt ctrl
expect_count single 2 "Ctrl+Alt+S held for a second"
echo "     the platform sent $(($(count "wm_hotkey 16996") - before)) WM_HOTKEY for the held key"

xdotool key ctrl+alt+s
expect_count single 3 "released and pressed again"

xdotool keydown ctrl alt
xdotool key s
sleep 0.3
xdotool key s
xdotool keyup alt ctrl
expect_count single 5 "S tapped twice with Ctrl+Alt held"

xdotool key ctrl+alt+1
expect_count "multi 0" 1 "a tap of Ctrl+Alt+1"
[ "$(count single)" -eq 5 ] || fail "Ctrl+Alt+1 took a single shot"

echo "all hotkey presses counted correctly"
