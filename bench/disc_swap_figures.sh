#!/usr/bin/env bash
# The disc swap, measured on the real launcher under Wine with the
# end-to-end stand-ins: the next-disc key pressed in the emulator's window ->
# the start of the new disc's mount line, over a two-disc playlist with the
# stand-in mount tool. Prints figures only.
#
#   disc_swap_figures.sh <tolvimer_launch.exe> <folder of the stand-ins> [swaps, default 10]
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/.." && pwd)
LAUNCHER_EXE=$(realpath "$1")
STANDINS=$(realpath "$2")
SWAPS=${3:-10}
source "$REPO/tests/e2e/lib.sh"
e2e_session || { echo "Wine could not be started"; exit 1; }

source "$HERE/summary.sh"

# One run: N pressed every 2 s, at times that fall anywhere in the watch's
# 500 ms cycle, then Escape.
new_folder disc_swap
cp "$STANDINS/stand_in_mount_tool.exe" "$DIR/mount tool.exe"
printf 'Disc 1.cdi\r\nDisc 2.cdi\r\n' >"$DIR/Some Game.m3u"
presses=""
for i in $(seq "$SWAPS"); do presses+="78@$((i * 2000 - 700 + (i * 137) % 500)) "; done
emulator_script "Presses=${presses}27@$((SWAPS * 2000 + 1500))" "LifetimeMs=$((SWAPS * 2000 + 10000))"
printf '[General]\nMountTool=daemontools\nUnmount=true\nNextDisc=78\n[DaemonTools]\nExe=%smount tool.exe\nDevice=0\n' \
  "$WDIR" | settings
launch "${WDIR}Some Game.m3u" $((SWAPS * 2000 + 20000))
mapfile -t pressed < <(sed -n -E 's/^t=([0-9]+) .*press vk=78.*/\1/p' "$DIR/emulator_log.txt")
# Every mount line after the first disc's is a swap's.
mapfile -t mounted < <(grep -E ' cmdline .*-mount ' "$DIR/mount_log.txt" | tail -n +2 |
  sed -E 's/^t=([0-9]+) .*/\1/')
gaps=()
for i in "${!pressed[@]}"; do
  [ -n "${mounted[$i]:-}" ] && gaps+=($((mounted[i] - pressed[i])))
done
echo "launcher exit code $LAUNCH_CODE; ${#pressed[@]} presses, ${#mounted[@]} swap mounts"
echo "== next-disc key pressed -> the new disc's mount line started (the tool's first line)"
summary "two discs, daemontools form" "${gaps[@]}"
