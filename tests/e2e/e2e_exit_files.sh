#!/usr/bin/env bash
# What Lorik.exe leaves on disk when things go wrong. A single-shot folder
# written with "/" saves. At exit, a read-only settings file and one that
# another program holds open without sharing are reported and stay as they
# were. A Lorik.exe killed while it saves a multi shot leaves under the
# folder only complete pictures and its own ~lorik*.tmp temporaries.
# Usage: e2e_exit_files.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" exit_files
[ -f "$build/tests/fixture_hold.exe" ] || { echo "no fixture_hold.exe in this build"; exit 77; }

# Ends the last Lorik.exe started: by its process, so nothing of it runs on.
lorik_pid() { echo "${pids[$lorik]}"; }
wait_gone() { # pid, tenths of a second
  for _ in $(seq "$2"); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}
kill_lorik() {
  kill -9 "$(lorik_pid)" 2>/dev/null
  wait_gone "$(lorik_pid)" 100
}
start() {
  start_lorik
  lorik=$((${#pids[@]} - 1))
}
# Asks the main window to close and waits for the message that says the
# settings were not saved; answers it and waits for the process to end.
exit_expecting() { # start of the message
  control close Lorik 0 >/dev/null || fail "no main window to close"
  local text=
  for _ in $(seq 150); do
    text=$(control message Lorik)
    [ -n "$text" ] && break
    sleep 0.1
  done
  [[ "$text" == "$1"* ]] || fail "at exit: '$text' instead of '$1...'"
  control answer Lorik 1 >/dev/null || fail "the message could not be answered"
  wait_gone "$(lorik_pid)" 150 || fail "Lorik did not end after the message"
}

slashed=${windir//\\//}
write_ini <<INI
$(single_shot_sections "$slashed/single/")
$(multi_shot_section 40 40)
[Save]
Image type=png
Conversion thread number=2
$(target_capture_section 50)
INI
sum() { sha256sum "$work/Lorik.ini" | cut -d' ' -f1; }

start_target
start
single_shot 1
file="$work/single/$(shots | head -1)"
convert -regard-warnings "$file" null: >/dev/null 2>&1 || fail "the shot in '$slashed/single/' is no picture"

# Read-only: told, and the file stays as it was.
before=$(sum)
chmod a-w "$work/Lorik.ini"
exit_expecting "設定ファイルに保存できませんでした："
[ "$(sum)" = "$before" ] || fail "the read-only settings file was changed"
chmod u+w "$work/Lorik.ini"
ls "$work" | grep -q '\.tmp$' && fail "a temporary settings file was left: $(ls "$work")"

# Held open without sharing by another program at exit.
start
touch "$work/Lorik.ini.hold"
run "$build/tests/fixture_hold.exe" "$windir\\Lorik.ini" >"$work/hold.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  grep -q held "$work/hold.out" 2>/dev/null && break
  sleep 0.1
done
grep -q held "$work/hold.out" || fail "the settings file could not be held open"
exit_expecting "設定ファイルを読み込めないため、設定を保存しませんでした："
rm -f "$work/Lorik.ini.hold"
for _ in $(seq 100); do
  grep -q released "$work/hold.out" 2>/dev/null && break
  sleep 0.1
done
grep -q released "$work/hold.out" || fail "the settings file was not let go"
[ "$(sum)" = "$before" ] || fail "the settings file held by another program was changed"

# Killed while the multi shot is being saved.
start
sleep 2.5 # the history fills with the frames from before the press
xdotool search --name '^Lorik e2e target$' windowfocus --sync >/dev/null 2>&1
xdotool key ctrl+alt+1
for _ in $(seq 100); do
  [ -n "$(ls "$work/multi" 2>/dev/null)" ] && break
  sleep 0.05
done
[ -n "$(ls "$work/multi" 2>/dev/null)" ] || fail "the multi shot saved nothing"
kill_lorik || fail "Lorik.exe could not be ended"
complete=0
for f in "$work/multi"/*; do
  name=$(basename "$f")
  case "$name" in
  "~lorik"*.tmp) continue ;;
  # Decoded whole: a file cut short fails here.
  m_*.png) convert -regard-warnings "$f" null: >/dev/null 2>&1 || fail "partial picture '$name'" ;;
  *) fail "unexpected file '$name' after the kill" ;;
  esac
  complete=$((complete + 1))
done
echo "complete pictures after the kill: $complete of 80"
echo "PASS"
