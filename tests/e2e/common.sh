# Shared by the end-to-end scripts: sourced as `. common.sh <build dir> <name>`.
# Sets build, root and work (a fresh folder holding a copy of Lorik.exe, whose
# Windows path is windir), and ends every program it started at exit.
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
run() { "$root/cmake/wine-run" "$@"; }
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}

scenario=${2:?name}
work=$(mktemp -d "/tmp/lorik_$scenario.XXXXXX")
pids=()
# Whatever a failed run leaves open (a Lorik.exe held by a message box, say) must
# not answer the next run's searches for "Lorik": after the polite close, every
# program of the prefix is ended. The scripts run one at a time.
cleanup() {
  run "$build/tests/fixture_close.exe" "Lorik e2e target" >/dev/null 2>&1
  run "$build/tests/fixture_close.exe" "Lorik" >/dev/null 2>&1
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  # What the screen showed when it failed, for whoever reads the log.
  mkdir -p "$build/screenshots"
  import -window root "$build/screenshots/failed_$scenario.png" 2>/dev/null &&
    echo "screen at the failure: $build/screenshots/failed_$scenario.png" >&2
  # What the message box watcher saw tells what was open meanwhile.
  [ -z "${watch_pid:-}" ] || echo "message boxes: $(watch_stop)" >&2
  exit 1
}
wait_for_window() { # title regex, tenths of a second
  for _ in $(seq "$2"); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# A message box of that title (the main window, also titled "Lorik", is none):
# waits until it is in front, answers it with Return as the user does, and
# waits until it has gone; its text is left in `answered`.
answer_message() { # title, what it is about (for the failure)
  local state=2 title=$1
  shift
  for _ in $(seq 100); do
    run "$build/tests/fixture_dialog.exe" front "$title" >/dev/null 2>&1
    state=$?
    [ "$state" = 0 ] && break
    sleep 0.1
  done
  [ "$state" = 2 ] && fail "no message $*"
  [ "$state" = 1 ] && fail "the message $* is not in front"
  answered=$(control message "$title")
  xdotool key Return
  for i in $(seq 50); do
    run "$build/tests/fixture_dialog.exe" front "$title" >/dev/null 2>&1
    state=$?
    [ "$state" = 2 ] && return 0
    # A message that follows at once is another box.
    [ "$(control message "$title")" != "$answered" ] && return 0
    # Wine can call a new box the foreground window while the X server keeps
    # the keyboard elsewhere, and then no key reaches it: the user clicks the
    # button that Return would have pressed.
    if [ "$i" = 10 ]; then
      local at
      at=$(control default "$title")
      if [ -n "$at" ]; then
        echo "the message $* did not take Return: clicking its default button" >&2
        # shellcheck disable=SC2086
        xdotool mousemove $at click 1
      fi
    fi
    sleep 0.1
  done
  fail "Return did not close the message $*"
}

wait_for_folder() { # folder, tenths of a second
  for _ in $(seq "$2"); do
    [ -d "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# Every message box of that title from watch_start to watch_stop, also one that
# comes and goes between two looks of a script: watch_stop prints "most <n>",
# the most open at once, and "box<TAB><text>" for each, its line breaks as tabs.
watch_start() { # title
  rm -f "$work/watch.stop"
  run "$build/tests/fixture_dialog.exe" watch "$1" "$windir\\watch.stop" >"$work/watch.out" 2>/dev/null &
  watch_pid=$!
  pids+=($!)
  for _ in $(seq 100); do
    grep -q watching "$work/watch.out" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "the message box watcher did not start"
}
# Called as $(watch_stop), in a subshell that cannot wait for the watcher: it
# waits for the watcher's last report instead.
watch_stop() {
  touch "$work/watch.stop"
  for _ in $(seq 100); do
    tr -d '\r' <"$work/watch.out" 2>/dev/null | grep -qx end && break
    sleep 0.1
  done
  watch_pid=
  tr -d '\r' <"$work/watch.out" | grep -vx 'watching\|end'
}

# The settings dialog ("設定") as a user works it. Controls by their ids from
# res/resource.h; texts through fixture_dialog, clicks and drags with the mouse.
control() { run "$build/tests/fixture_dialog.exe" "$@" 2>/dev/null | tr -d '\r'; }
field() { control text 設定 "$1"; }
centre() { control center 設定 "$1"; } # control id -> "x y" of its centre on the screen
wait_field() { # control id, expected text, tenths of a second
  for _ in $(seq "$3"); do
    [ "$(field "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
# Press on the picker, move over the screen point in steps, release there.
drag_to() { # x y
  read -r px py <<<"$(centre 1000)"
  [ -n "$px" ] || fail "no picker button on the settings dialog"
  xdotool mousemove "$px" "$py"
  sleep 0.3
  xdotool mousedown 1
  sleep 0.5
  xdotool mousemove $(((px + $1) / 2)) $(((py + $2) / 2))
  sleep 0.3
  xdotool mousemove "$1" "$2"
  sleep 0.3
  xdotool mouseup 1
  wait_for_window '^設定$' 50 || fail "the settings dialog did not come back after the drop"
  sleep 0.5
}
# The picker dropped in the middle of a top-level window, found by its title.
drag_onto() { # window title regex
  local wx wy
  read -r wx wy <<<"$(xdotool search --name "$1" getwindowgeometry --shell 2>/dev/null |
    awk -F= '/^X=/ { x = $2 } /^Y=/ { y = $2 } END { print x, y }')"
  [ -n "$wx" ] || fail "no window '$1' to drop the picker on"
  drag_to $((wx + 160)) $((wy + 140))
}
click() { # control id of the settings dialog
  read -r x y <<<"$(centre "$1")"
  [ -n "$x" ] || fail "no control $1 on the settings dialog"
  xdotool mousemove "$x" "$y" click 1
}
# The hotkey tab, reached as a user does: a click on the first tab, then one
# step to the right.
open_hotkey_tab() {
  local left top
  read -r left top _ <<<"$(control rect 設定 1036)"
  [ -n "$left" ] || fail "no tab control on the settings dialog"
  xdotool mousemove $((left + 20)) $((top + 10)) click 1
  xdotool key Right
  sleep 0.5
  [ "$(control tab 設定 1036)" = 1 ] || fail "the hotkey tab did not open"
}
# OK on the settings dialog, and the dialog gone.
settings_ok() {
  click 1
  for _ in $(seq 50); do
    xdotool search --name '^設定$' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the settings dialog did not close on OK"
}

# The prefix user's Pictures folder: its Windows path in picwin, where it lies
# here in pictures. Shots with an empty folder go to its "Lorik" subfolder, which
# the scripts clear, so it must lie inside the prefix and not in someone's home
# (./lorik gives the prefix folders of its own).
pictures_folder() {
  picwin=$(run reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v 'My Pictures' 2>/dev/null | tr -d '\r' | sed -n 's/^ *My Pictures *REG_SZ *//p')
  [ -n "$picwin" ] || fail "the prefix names no Pictures folder"
  pictures=$(readlink -f "$(run winepath -u "$picwin" 2>/dev/null | tr -d '\r')")
  local prefix
  prefix=$(readlink -f "$WINEPREFIX")
  [[ -d $pictures && $pictures == "$prefix"/* ]] ||
    fail "the Pictures folder $picwin is $pictures, not a folder inside the prefix $prefix"
}

wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
cp "$build/Lorik.exe" "$work/"
windir=$(run winepath -w "$work" 2>/dev/null | tr -d '\r')
[ -n "$windir" ] || fail "winepath failed for $work"

# Lorik.exe with the settings file already in $work; waits for its main window.
start_lorik() {
  (cd "$work" && run ./Lorik.exe >/dev/null 2>&1) &
  pids+=($!)
  wait_for_window '^Lorik$' 150 || fail "Lorik's main window did not appear"
}
start_target() { # [block colour RRGGBB]
  run "$build/tests/fixture_target.exe" "$@" >/dev/null 2>&1 &
  pids+=($!)
  wait_for_window '^Lorik e2e target$' 100 || fail "the target window did not appear"
}

# The keys of a settings file's [Capture] section that describe the target fixture.
target_identity() {
  printf '%s\n' "App name=fixture_target.exe" "Title=Lorik e2e target" "Class name=LorikE2eTarget" \
    "Target width=320" "Target height=240"
}

# A [Capture] section on the whole client area of the target fixture, a frame every 100 ms.
target_capture_section() { # [capture period in ms, 100]
  printf '%s\n' "[Capture]"
  target_identity
  printf '%s\n' "Area X=0" "Area Y=0" "Area width=320" "Area height=240" \
    "Period between each capture=${1:-100}"
}
# [General] without the exit question, one multi-shot profile, and the single
# shot's section: its folder (by default $work/single) and file names.
single_shot_sections() { # [single-shot folder]
  printf '%s\n' "[General]" "Check on exit=0" "Maximum multi shot no=1" "[SingleShot]" \
    "Folder=${1:-$windir\\single}" "Format=s_%date%_%time%_%ms%"
}
# The first multi shot's section: its folder (by default $work/multi) and file names.
multi_shot_section() { # before, after, [folder]
  printf '%s\n' "[MultiShot01]" "Folder=${3:-$windir\\multi}" "Format=m_%sdate%_%stime%_%time%_%ms%" \
    "Number of saved image before hotkey=$1" "Number of saved image after hotkey=$2"
}
# Lorik.ini in $work from standard input, with the line ends of Windows.
write_ini() { sed 's/$/\r/' >"$work/Lorik.ini"; }

# The first profile's multi-shot key, pressed with the focus on the target as
# a user would; waits until the folder holds that many files.
press_multi_shot() { # folder, files expected
  xdotool search --name '^Lorik e2e target$' windowfocus --sync >/dev/null 2>&1
  xdotool key ctrl+alt+1
  for _ in $(seq 150); do
    [ "$(ls "$1" 2>/dev/null | wc -l)" -ge "$2" ] && return 0
    sleep 0.1
  done
}

shots() { ls "$work/single" 2>/dev/null | sort; }
# A single shot through the real hotkey; waits for the one new file it saves.
single_shot() { # number of files expected afterwards
  # The hotkeys are global, but the key press has to reach a Wine window.
  xdotool search --name '^Lorik e2e target$' windowfocus --sync >/dev/null 2>&1
  xdotool key ctrl+alt+s
  for _ in $(seq 100); do
    [ "$(shots | wc -l)" -ge "$1" ] && break
    sleep 0.1
  done
  sleep 0.5 # the save worker may still be writing the file
  [ "$(shots | wc -l)" -eq "$1" ] || fail "expected $1 single-shot files, found: $(shots | tr '\n' ' ')"
}
