#!/usr/bin/env bash
# The settings editor end to end under Wine: the real tolvimer_settings.exe,
# driven through its controls by settings_editor_driver.exe (select a
# section, set a word and a key in the key field, add a game from an image,
# set a number, save, show the plan), then
# - the saved file's bytes compared with the expected ones (only the edited
#   lines changed),
# - the warnings the window showed, and the plan it showed, compared with
#   tolvimer_plan's for the same file and image,
# - a save over the file held open by another program (locked) refused with
#   a message naming the file, the file left as it was and the edits kept
#   open,
# - the window's size found remembered in HKCU after it was closed,
# - the launcher run on the saved file for the added game doing what the
#   file says (the region written, the game's CPU taps).
#
#   run_settings_editor.sh <tolvimer_settings.exe> <tolvimer_plan.exe> <tolvimer_launch.exe>
#                          <folder of the stand-ins> [picture.png]
#
# With a picture path, the window is photographed there (the README's).
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
EDITOR_EXE=$(realpath "$1")
PLAN_EXE=$(realpath "$2")
LAUNCHER_EXE=$(realpath "$3")
STANDINS=$(realpath "$4")
PICTURE=${5:-}
REPO=$(cd "$HERE/../.." && pwd)
source "$HERE/lib.sh"

e2e_session || { echo "end-to-end setup failed"; echo "0 passed, 1 failed"; exit 1; }
# A launcher folder: the launcher, the stand-in emulator (ending by itself
# after 3 s) and the emulator's files, with the editor beside them.
new_folder editor
emulator_script LifetimeMs=3000
FOLDER=$DIR
mkdir -p "$FOLDER/images"
: >"$FOLDER/images/New Game.cdi"
printf '; my settings\r\n[General]\r\nregion=usa\r\nRegoin=jap\r\nDelay=1\r\n\r\n[Old Game]\r\nCPU=100\r\n' \
  >"$FOLDER/tolvimer_launch.ini"
printf '; my settings\r\n[General]\r\nregion=euro\r\nRegoin=jap\r\nDelay=1\r\nExit=112\r\n\r\n[Old Game]\r\nCPU=100\r\n\r\n[New Game]\r\nCPU=120\r\n' \
  >"$FOLDER/expected.ini"
cp "$EDITOR_EXE" "$FOLDER/tolvimer_settings.exe"
IMAGE=$(winpath "$FOLDER/images/New Game.cdi")

failures=()
check() { "$@" || failures+=("$CHECK"); }

timeout -s KILL 120 wine "$FOLDER/tolvimer_settings.exe" >"$E2E_WORK/editor.out" 2>&1 &
EDITOR_PID=$!
timeout -s KILL 90 wine "$STANDINS/settings_editor_driver.exe" edit "$IMAGE" \
  "$(winpath "$E2E_WORK/warnings.txt")" "$(winpath "$E2E_WORK/shown_plan.txt")" \
  >"$E2E_WORK/driver.out" 2>&1 ||
  failures+=("the driver: $(tr -d '\r' <"$E2E_WORK/driver.out" | tail -n1)")

CHECK="the saved file differs from the expected bytes: $(cmp "$FOLDER/tolvimer_launch.ini" "$FOLDER/expected.ini" 2>&1)"
check cmp -s "$FOLDER/tolvimer_launch.ini" "$FOLDER/expected.ini"
CHECK="no file was left beside the settings file"
check test ! -e "$FOLDER/tolvimer_launch.ini.saving"

# tolvimer_plan's warnings for the same file and image, as the window shows them.
timeout -s KILL 60 wine "$PLAN_EXE" --settings "$(winpath "$FOLDER/tolvimer_launch.ini")" "$IMAGE" \
  2>/dev/null | tr -d '\r' >"$E2E_WORK/plan.txt"
sed -n '/^Warnings:$/,$p' "$E2E_WORK/plan.txt" | sed -n 's/^  //p' >"$E2E_WORK/plan_warnings.txt"
tr -d '\r' <"$E2E_WORK/warnings.txt" >"$E2E_WORK/shown_warnings.txt" 2>/dev/null
CHECK="the window's warnings differ from tolvimer_plan's: $(diff "$E2E_WORK/shown_warnings.txt" "$E2E_WORK/plan_warnings.txt" | head -n4 | tr '\n' ' ')"
check cmp -s "$E2E_WORK/shown_warnings.txt" "$E2E_WORK/plan_warnings.txt"
CHECK="the plan window's text differs from tolvimer_plan's: $(tr -d '\r' <"$E2E_WORK/shown_plan.txt" 2>&1 | diff - "$E2E_WORK/plan.txt" | head -n4 | tr '\n' ' ')"
check bash -c "tr -d '\r' <'$E2E_WORK/shown_plan.txt' | cmp -s - '$E2E_WORK/plan.txt'"
CHECK="the exit key's warning is not shown"
check grep -q 'Exit names virtual key 112 (F1), which has no character' "$E2E_WORK/shown_warnings.txt"
CHECK="the misspelt key's warning is not shown"
check grep -q 'Regoin is a key the launcher never reads (did you mean Region?)' "$E2E_WORK/shown_warnings.txt"

if [ -n "$PICTURE" ]; then
  sleep 1
  read -r _ x y w h < <(tr -d '\r' <"$E2E_WORK/driver.out" | grep -m1 '^window ')
  [ "${x:-0}" -ge 0 ] || { w=$((w + x)); x=0; }
  [ "${y:-0}" -ge 0 ] || { h=$((h + y)); y=0; }
  import -window root -crop "${w:-1024}x${h:-768}+${x:-0}+${y:-0}" +repage "$PICTURE" ||
    failures+=("no picture taken")
fi

# The file locked by another program: the save is refused, the file stays,
# the edits too. (A read-only file is not refused under Wine run as root.)
timeout -s KILL 60 wine "$STANDINS/settings_editor_driver.exe" refused \
  "$(winpath "$FOLDER/tolvimer_launch.ini")" "$(winpath "$E2E_WORK/refused.txt")" \
  >>"$E2E_WORK/driver.out" 2>&1 ||
  failures+=("the refused save: $(tr -d '\r' <"$E2E_WORK/driver.out" | tail -n1)")
CHECK="the locked file was changed"
check cmp -s "$FOLDER/tolvimer_launch.ini" "$FOLDER/expected.ini"
CHECK="the refused save's message does not say why: $(tr -d '\r' <"$E2E_WORK/refused.txt" 2>&1)"
check grep -q 'Cannot replace .*tolvimer_launch.ini: .*your edits are still open' \
  <(tr -d '\r\n' <"$E2E_WORK/refused.txt")
CHECK="a file was left beside the locked settings file"
check test ! -e "$FOLDER/tolvimer_launch.ini.saving"

timeout -s KILL 30 wine "$STANDINS/settings_editor_driver.exe" close >>"$E2E_WORK/driver.out" 2>&1 ||
  failures+=("the editor did not close")
wait "$EDITOR_PID" 2>/dev/null
CHECK="the window's size is not remembered in HKCU"
check bash -c "timeout 30 wine reg query 'HKCU\\Software\\tolvimer_launch\\tolvimer_settings' /v Width 2>/dev/null | grep -q REG_DWORD"

# The launcher on the saved file, for the added game: the region euro written
# ('2'), the game's CPU 120 as 20 taps of keypad plus (107); play ends with
# the emulator, since F1 has no character to poll.
launch "$IMAGE"
expect_eq "the launcher's exit code on the saved file" 1 "$LAUNCH_CODE"
expect_eq "region byte seen by the emulator" 32 "$(field emulator_log.txt 'file dc_flash.bin' bytes)"
expect_eq "keypad plus taps for CPU=120" 20 "$(emulator_events | tr ' ' '\n' | grep -c '^vk107d$')"
[ -s "$E2E_WORK/failures" ] && mapfile -t -O "${#failures[@]}" failures <"$E2E_WORK/failures"

if [ ${#failures[@]} -eq 0 ]; then
  echo "PASS settings_editor"
  echo "1 passed, 0 failed"
  exit 0
fi
echo "FAIL settings_editor"
printf '     %s\n' "${failures[@]}"
echo "0 passed, 1 failed"
exit 1
