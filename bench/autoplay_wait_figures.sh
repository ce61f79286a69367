#!/usr/bin/env bash
# The wait after the mount, measured on the real launcher under Wine with the
# end-to-end stand-ins: launcher start -> emulator start with Delay=5 and a
# mount tool that makes its CD drive appear 800 ms after its start, with
# [General] WaitForDisc and CancelAutoPlay off and on. Prints figures only.
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
run() {  # run <name> <[General] lines>
  local letter=${LETTERS[$((next % ${#LETTERS[@]}))]}
  next=$((next + 1))
  new_folder "$1"
  emulator_script 'Presses=27@500'
  mkdir -p "$DIR/disc"
  printf '%08X' $((RANDOM * 65536 + RANDOM)) >"$DIR/disc/.windows-serial"
  cp "$STANDINS/stand_in_mount_tool.exe" "$DIR/mount tool.exe"
  printf '[Disc]\nAfterMs=800\nLetter=%s\nUnixPath=%s\n' "$letter" "$DIR/disc" >"$DIR/disc_plan.ini"
  printf '[General]\nDrive=%s\nDelay=5\nMountTool=daemontools\n%b[DaemonTools]\nExe=%smount tool.exe\nDevice=0\n' \
    "$letter" "$2" "$WDIR" | settings
  launch "$IMAGE" 20000
  STARTED=$(ms_between run_log.txt 'launch start' emulator_log.txt '^t=[0-9]+ start ')
  local created ready
  created=$(sed -n -E 's/.* created tick=([0-9]+).*/\1/p' "$DIR/emulator_log.txt" | head -1)
  ready=$(tick mount_log.txt 'disc ready')
  LATE=""
  [ -n "$created" ] && [ -n "$ready" ] && LATE=$((created - ready))
}

off=() on=() both=() on_late=() both_late=()
echo "Delay=5, a mount of 800 ms: $RUNS runs each"
for i in $(seq "$RUNS"); do
  run "off$i" ''
  off+=("$STARTED")
  run "on$i" 'WaitForDisc=true\n'
  on+=("$STARTED") on_late+=("$LATE")
  run "both$i" 'WaitForDisc=true\nCancelAutoPlay=true\n'
  both+=("$STARTED") both_late+=("$LATE")
done
echo "== launcher start -> emulator start (its first line)"
summary "both keys off (the whole delay)" "${off[@]}"
summary "WaitForDisc=true" "${on[@]}"
summary "WaitForDisc=true, CancelAutoPlay=true" "${both[@]}"
echo "== disc ready -> emulator process created by the launcher"
summary "WaitForDisc=true" "${on_late[@]}"
summary "WaitForDisc=true, CancelAutoPlay=true" "${both_late[@]}"
