#!/usr/bin/env bash
# The wait after the mount, measured on the real launcher under Wine with the
# end-to-end stand-ins: launcher start -> emulator start with Delay=5 and a
# mount tool that makes its CD drive appear 800 ms after its start, with
# [General] WaitForDisc and CancelAutoPlay off and on, and with both on where
# the tool announces the volume as Windows does (Wine's mount manager does
# not). Prints figures only; "the launcher's own time" runs from the disc's
# arrival to the run log's last line before the emulator's CreateProcess call:
# the arrival is the tool's "disc ready" where the 100 ms look finds it, and
# the announcement's arrival in the launcher's window (the log's "announced
# ... after N ms" of its wait) where Windows announces it.
#
#   autoplay_wait_figures.sh <tolvimer_launch.exe> <folder of the stand-ins> [runs, default 10]
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/.." && pwd)
LAUNCHER_EXE=$(realpath "$1")
STANDINS=$(realpath "$2")
RUNS=${3:-10}
source "$REPO/tests/e2e/lib.sh"
e2e_session || { echo "Wine could not be started"; exit 1; }

source "$HERE/summary.sh"

IMAGE='D:\Images\Some Game.cdi'
LETTERS=(G H I J K L M N O P Q R S T U V W X Y)
next=0

# One run: a fresh drive letter (drives stay defined in the Wine session), the
# stand-in mount tool that defines it 800 ms after its start, Delay=5.
run() {  # run <name> <[General] lines> [announce]
  local letter=${LETTERS[$((next % ${#LETTERS[@]}))]}
  next=$((next + 1))
  new_folder "$1"
  emulator_script 'Presses=27@500'
  mkdir -p "$DIR/disc"
  printf '%08X' $((RANDOM * 65536 + RANDOM)) >"$DIR/disc/.windows-serial"
  cp "$STANDINS/stand_in_mount_tool.exe" "$DIR/mount tool.exe"
  printf '[Disc]\nAfterMs=800\nLetter=%s\nUnixPath=%s\nAnnounce=%s\n' "$letter" "$DIR/disc" \
    "${3:-0}" >"$DIR/disc_plan.ini"
  printf '[General]\nDrive=%s\nDelay=5\nMountTool=daemontools\n%b[DaemonTools]\nExe=%smount tool.exe\nDevice=0\n' \
    "$letter" "$2" "$WDIR" | settings
  launch "$IMAGE" 20000
  STARTED=$(ms_between run_log.txt 'launch start' emulator_log.txt '^t=[0-9]+ start ')
  local created ready
  created=$(sed -n -E 's/.* created tick=([0-9]+).*/\1/p' "$DIR/emulator_log.txt" | head -1)
  ready=$(tick mount_log.txt 'disc ready')
  LATE=""
  [ -n "$created" ] && [ -n "$ready" ] && LATE=$((created - ready))
  # The launcher's ticks: its log counts from the tick its first line names.
  local log=$DIR/tolvimer_launch.log base call arrival waited told
  OWN=""
  [ -f "$log" ] || return 0
  base=$(sed -n -E '1s/.* from tick ([0-9]+)\r?$/\1/p' "$log")
  call=$(grep -B1 -m1 -- '-> start the emulator' "$log" | head -1 | sed -E 's/^ *([0-9]+) ms.*/\1/')
  arrival=$ready
  if [ "${3:-0}" = 1 ]; then
    waited=$(grep -m1 -- '-> wait [0-9]* ms behind' "$log" | sed -E 's/^ *([0-9]+) ms.*/\1/')
    told=$(sed -n -E 's/.*announced the volume on the drive after ([0-9]+) ms.*/\1/p' "$log")
    arrival=""
    [ -n "$base" ] && [ -n "$waited" ] && [ -n "$told" ] && arrival=$((base + waited + told))
  fi
  [ -n "$base" ] && [ -n "$call" ] && [ -n "$arrival" ] && OWN=$((base + call - arrival))
}

off=() on=() both=() on_late=() both_late=() on_own=() both_own=() told_own=()
echo "Delay=5, a mount of 800 ms: $RUNS runs each"
for i in $(seq "$RUNS"); do
  run "off$i" ''
  off+=("$STARTED")
  run "on$i" 'WaitForDisc=true\nLog=true\n'
  on+=("$STARTED") on_late+=("$LATE") on_own+=("$OWN")
  run "both$i" 'WaitForDisc=true\nCancelAutoPlay=true\nLog=true\n'
  both+=("$STARTED") both_late+=("$LATE") both_own+=("$OWN")
  run "told$i" 'WaitForDisc=true\nCancelAutoPlay=true\nLog=true\n' 1
  told_own+=("$OWN")
done
echo "== launcher start -> emulator start (its first line)"
summary "both keys off (the whole delay)" "${off[@]}"
summary "WaitForDisc=true" "${on[@]}"
summary "WaitForDisc=true, CancelAutoPlay=true" "${both[@]}"
echo "== disc ready -> emulator process created by the launcher"
summary "WaitForDisc=true" "${on_late[@]}"
summary "WaitForDisc=true, CancelAutoPlay=true" "${both_late[@]}"
echo "== the launcher's own time: the disc's arrival -> its CreateProcess call for the emulator"
summary "WaitForDisc=true (the 100 ms look)" "${on_own[@]}"
summary "WaitForDisc=true, CancelAutoPlay=true (the 100 ms look)" "${both_own[@]}"
summary "both, the volume announced (WM_DEVICECHANGE)" "${told_own[@]}"
