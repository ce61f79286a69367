#!/usr/bin/env bash
# Runs com_probe.exe (its header says what it does) N times without COM and N
# times with it, under Wine as the end-to-end tests run (tests/e2e/lib.sh),
# against the stand-in emulator, and counts the outcomes: the window found,
# not found, or the run ending in a fault (an exit status other than 0 and 1,
# a Wine client error or a signal qemu did not handle). Not part of the test
# command: it tells whether what fails where the launcher runs through qemu
# follows from COM alone.
#
#   com_probe.sh <com_probe.exe> <folder of the stand-ins> [N, default 20]
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
PROBE_EXE=$(realpath "$1")
STANDINS=$(realpath "$2")
RUNS=${3:-20}
source "$REPO/tests/e2e/lib.sh"
e2e_session || { echo "Wine could not be started"; exit 1; }

cp "$STANDINS/stand_in_emulator.exe" "$PROBE_EXE" "$E2E_WORK/"
printf '[Emulator]\nLifetimeMs=20000\n' >"$E2E_WORK/emulator_script.ini"
for mode in plain com; do
  found=0 missing=0 faults=0
  for _ in $(seq 1 "$RUNS"); do
    args=(stand_in_emulator.exe)
    [ "$mode" = com ] && args=(com stand_in_emulator.exe)
    # Through a file, not a pipe: a service Wine starts would hold a pipe open.
    (cd "$E2E_WORK" && timeout -s KILL 60 wine "$(basename "$PROBE_EXE")" "${args[@]}" \
      >"$E2E_WORK/probe.txt" 2>&1 </dev/null)
    status=$?
    if [ "$status" -gt 1 ] || grep -q -E 'client error|uncaught target signal|Unhandled' \
      "$E2E_WORK/probe.txt"; then
      faults=$((faults + 1))
      echo "  $mode: status $status: $(tr -d '\r' <"$E2E_WORK/probe.txt" | tail -n 1)"
    elif [ "$status" -eq 0 ]; then
      found=$((found + 1))
    else
      missing=$((missing + 1))
    fi
  done
  echo "$mode: $found window found, $missing not found, $faults ended in a fault (of $RUNS)"
done
