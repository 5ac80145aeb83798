#!/usr/bin/env bash
# Lorik.exe in a folder that also holds DLLs under the names of system DLLs it
# uses (each leaves <name>.dll.loaded beside itself when loaded), run with Wine
# told to prefer native DLLs of those names, which is how Windows treats a DLL
# that is not one of its known DLLs. First a program that loads each name the
# ordinary way shows that it gets the planted ones. Then Lorik.exe starts,
# saves a single shot as a picture and exits, and none of them was loaded.
# Wine's own user32 imports version.dll (the one of Windows does not, and is a
# known DLL), so under Wine every program loads a version.dll placed beside it
# before any of its code runs; a name that the empty program shows to be loaded
# like that is left to Wine's own DLL for Lorik's run, and said.
# Usage: e2e_planted_dlls.sh <build dir>; DISPLAY and WINEPREFIX are set by the caller.
set -u
. "$(dirname "$0")/common.sh" "${1:-}" planted_dlls
planted=$build/tests/planted
[ -f "$build/tests/fixture_load.exe" ] && ls "$planted"/*.dll >/dev/null 2>&1 ||
  { echo "no planted DLLs in this build"; exit 77; }

cp "$planted"/*.dll "$build/tests/fixture_load.exe" "$work/"
names=()
for dll in "$planted"/*.dll; do names+=("$(basename "$dll" .dll)"); done
loaded() { (cd "$work" && ls -- *.dll.loaded 2>/dev/null) | sed 's/\.dll\.loaded$//' | sort | tr '\n' ' '; }
# A failure also says which planted DLLs were loaded, by which program, and
# what Lorik's message box says, if one is open.
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.dll.loaded; do
    [ -f "$f" ] && echo "$(basename "$f"): $(cat "$f")" >&2
  done
  local message
  message=$(run "$build/tests/fixture_dialog.exe" message Lorik 2>/dev/null | tr -d '\r')
  [ -z "$message" ] || echo "Lorik says: $message" >&2
  exit 1
}
forget() { rm -f "$work"/*.dll.loaded; }
native_first() { # names...
  local IFS=,
  echo "mscoree,mshtml=;$*=n,b"
}
load() { # names to load...
  (cd "$work" && WINEDLLOVERRIDES=$(native_first "${names[@]}") run ./fixture_load.exe "$@") |
    tr -d '\r'
}

# A program that loads the names the ordinary way gets the planted DLLs.
got=$(load "${names[@]/%/.dll}")
[ "$(loaded)" = "$(printf '%s\n' "${names[@]}" | sort | tr '\n' ' ')" ] ||
  fail "the planted DLLs were not all loaded by an ordinary program: $(loaded)
$got"
forget

# What the platform loads into every program before the program's own code.
load >/dev/null
early=$(loaded)
forget
lorik_names=()
for n in "${names[@]}"; do
  [[ " $early" == *" $n "* ]] || lorik_names+=("$n")
done
[ -n "$early" ] && echo "loaded by the platform itself before any program code, so left out: $early"
echo "native first for Lorik.exe: ${lorik_names[*]}"
[ ${#lorik_names[@]} -gt 0 ] || fail "every planted DLL is loaded by the platform itself"

write_ini <<INI
$(single_shot_sections)
$(target_capture_section)
INI
start_target
WINEDLLOVERRIDES=$(native_first "${lorik_names[@]}")
export WINEDLLOVERRIDES
start_lorik
unset WINEDLLOVERRIDES
single_shot 1
convert -regard-warnings "$work/single/$(shots)" null: >/dev/null 2>&1 ||
  fail "the single shot is no picture: $(shots)"
run "$build/tests/fixture_close.exe" Lorik >/dev/null 2>&1 || fail "Lorik did not close"
[ -z "$(loaded)" ] || fail "Lorik.exe loaded planted DLLs: $(loaded)"
echo "PASS"
