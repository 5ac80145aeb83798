# Shared by the end-to-end scripts: sourced as `. common.sh <build dir> <name>`.
# Sets build, root and work (a fresh folder holding a copy of Lorik.exe, whose
# Windows path is windir), and ends every program it started at exit.
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
run() { "$root/cmake/wine-run" "$@"; }
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}

work=$(mktemp -d "/tmp/lorik_${2:?name}.XXXXXX")
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
# waits until it has gone.
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
  xdotool key Return
  for _ in $(seq 50); do
    run "$build/tests/fixture_dialog.exe" front "$title" >/dev/null 2>&1
    [ $? = 2 ] && return 0
    sleep 0.1
  done
  fail "Return did not close the message $*"
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
# The first multi shot's section: its folder and file names in $work/multi.
multi_shot_section() { # before, after
  printf '%s\n' "[MultiShot01]" "Folder=$windir\\multi" "Format=m_%sdate%_%stime%_%time%_%ms%" \
    "Number of saved image before hotkey=$1" "Number of saved image after hotkey=$2"
}
# Lorik.ini in $work from standard input, with the line ends of Windows.
write_ini() { sed 's/$/\r/' >"$work/Lorik.ini"; }

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
