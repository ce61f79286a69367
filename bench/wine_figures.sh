#!/usr/bin/env bash
# Launch overhead, exit latency and the cost while the game runs, measured on
# the real launcher under Wine with the end-to-end stand-ins (their harness,
# tests/e2e/lib.sh). Prints figures only; nothing passes or fails on a time.
#
#   wine_figures.sh <tolvimer_launch.exe> <folder of the stand-ins> [runs, default 20]
#
# All times come from the stand-ins' logs, which stamp every line with
# GetTickCount (one clock for every process of the run).
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/.." && pwd)
LAUNCHER_EXE=$(realpath "$1")
STANDINS=$(realpath "$2")
RUNS=${3:-20}
source "$REPO/tests/e2e/lib.sh"
e2e_session || { echo "Wine could not be started"; exit 1; }

source "$HERE/summary.sh"

# The settings of a plain run: the example file without the mount, the delay
# or the gamepads, so that nothing but the launcher stands between its start
# and the emulator's.
plain_settings() {
  sed -e '/^MountTool=/d' -e '/^Delay=/d' -e '/^Unmount=/d' \
    -e 's/^MapGamePadExit=.*/MapGamePadExit=false/' "$REPO/examples/tolvimer_launch.ini" | settings
}

IMAGE='D:\Images\Some Game.cdi'
starts=() direct=() empty=() windows=() idles=() keys=() pads=()

# Presses and pad combinations come at a different moment of the 500 ms watch
# cycle in each run, as a player's would.
phase() { echo $(($1 * 137 % 500)); }

echo "Launch overhead and exit by key: $RUNS runs (Escape pressed 1000 to 1500 ms after the window)"
for run in $(seq "$RUNS"); do
  new_folder "launch$run"
  plain_settings
  emulator_script "Presses=27@$((1000 + $(phase "$run")))"
  launch "$IMAGE" 20000
  starts+=("$(ms_between run_log.txt 'launch start' emulator_log.txt '^t=[0-9]+ start ')")
  windows+=("$(ms_between emulator_log.txt '^t=[0-9]+ start ' emulator_log.txt 'command id=32785')")
  idles+=("$(ms_between emulator_log.txt '^t=[0-9]+ ready ' emulator_log.txt 'command id=32785')")
  keys+=("$(ms_between emulator_log.txt 'press vk=27' emulator_log.txt '^t=[0-9]+ close ')")
done

echo "The same emulator started directly, without the launcher: $RUNS runs"
for run in $(seq "$RUNS"); do
  new_folder "direct$run"
  emulator_script 'ExitAfterMs=300'
  printf '%s' "${WDIR}Tolvimer_alpha_25.exe" >"$DIR/command_line.txt"
  (cd "$E2E_WORK" && timeout -s KILL 30 wine "$STANDINS/e2e_tool.exe" run 20000 \
    "${WDIR}command_line.txt" "${WDIR}run_log.txt" >/dev/null 2>&1)
  direct+=("$(ms_between run_log.txt 'launch start' emulator_log.txt '^t=[0-9]+ start ')")
done

echo "The launcher with an empty command line (its Wine process alone): $RUNS runs"
for run in $(seq "$RUNS"); do
  new_folder "empty$run"
  launch '' 20000
  empty+=("$(ms_between run_log.txt 'launch start' run_log.txt 'launch end')")
done

echo "Exit by the gamepad combination: $RUNS runs (buttons 1 and 2 held from 1500 to 2000 ms)"
for run in $(seq "$RUNS"); do
  new_folder "pad$run"
  plain_settings
  sed -i -e 's/^MapGamePadExit=.*/MapGamePadExit=true/' "$DIR/tolvimer_launch.ini"
  held=$((1500 + $(phase "$run")))
  printf '[Pads]\nCount=1\nSteps=2\n[Step1]\nAtMs=0\n[Step2]\nAtMs=%d\nPad1Buttons=1 2\n' "$held" |
    pads_script
  launch "$IMAGE" 20000
  created=$(tick dinput_log.txt DirectInputCreateA)
  closed=$(tick emulator_log.txt '^t=[0-9]+ close ')
  [ -n "$created" ] && [ -n "$closed" ] && pads+=($((closed - created - held)))
done

echo
echo "== Launch overhead (no Delay, no mount)"
summary "launcher start -> emulator start (window created)" "${starts[@]}"
summary "the emulator started directly, for comparison" "${direct[@]}"
summary "the launcher started and ended on an empty command line" "${empty[@]}"
summary "emulator window created -> command 32785 received" "${windows[@]}"
summary "emulator idle (its message loop reached) -> command 32785" "${idles[@]}"
echo "== Exit latency"
summary "exit key pressed -> WM_CLOSE at the emulator" "${keys[@]}"
summary "pad combination held -> WM_CLOSE at the emulator" "${pads[@]}"

# ---- Cost while the game runs ----------------------------------------------

# The Linux processes of this run's Wine prefix whose command line holds $1.
prefix_pids() {
  local pid
  for pid in $(pgrep -f "$1"); do
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = timeout ] && continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
# CPU time of every thread of a process, in nanoseconds.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
peak_kib() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status" 2>/dev/null; }

WATCH=${WATCH_SECONDS:-30}
# watch_run <with pad: 0|1>: one run that watches for $WATCH seconds.
watch_run() {
  new_folder "watch$1"
  plain_settings
  if [ "$1" = 1 ]; then
    sed -i -e 's/^MapGamePadExit=.*/MapGamePadExit=true/' "$DIR/tolvimer_launch.ini"
    printf '[Pads]\nCount=1\nSteps=1\n[Step1]\nAtMs=0\n' | pads_script
  fi
  emulator_script "LifetimeMs=$(((WATCH + 30) * 1000))"
  launch_start "$IMAGE" $(((WATCH + 40) * 1000))
  wait_log 30 emulator_log.txt 'command id=32785'
  sleep 1
  local pid emulator before after
  pid=$(prefix_pids 'tolvimer_launch.exe' | head -n1)
  emulator=$(prefix_pids 'Tolvimer_alpha_25.exe' | head -n1)
  if [ -z "$pid" ]; then
    echo "  the launcher's process was not found"
  else
    before=$(cpu_ns "$pid")
    sleep "$WATCH"
    after=$(cpu_ns "$pid")
    printf '  %-58s %6.1f ms\n' "launcher CPU time over ${WATCH} s, $2" \
      "$(awk -v d=$((after - before)) 'BEGIN{print d/1e6}')"
    printf '  %-58s %6d KiB\n' "launcher peak working set, $2" "$(peak_kib "$pid")"
    [ -n "$emulator" ] && printf '  %-58s %6d KiB\n' \
      "the stand-in emulator's peak working set, for comparison" "$(peak_kib "$emulator")"
  fi
  tool press 27 0 150 "${WDIR}press_log.txt"
  launch_wait
}

echo "== Cost while the game runs (VmHWM counts Wine's own DLLs in the process)"
watch_run 0 "no gamepad exit"
watch_run 1 "one gamepad polled"
