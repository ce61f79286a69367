#!/usr/bin/env bash
# Runs the real launcher end to end under Wine against the stand-in emulator,
# mount tools and DirectInput, one scenario per case, each in its own launcher
# folder with its own settings file. Prints one line per scenario and a last
# line "N passed, N failed"; exits non-zero when any scenario failed.
#
#   run_e2e.sh <tolvimer_launch.exe> <folder of the stand-ins> [scenario...]
#
# E2E_KEEP=1 keeps the scenario folders (their logs) under /tmp. E2E_EXCEPT
# names scenarios (space-separated) left out of a run of the whole suite.
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
LAUNCHER_EXE=$(realpath "$1")
STANDINS=$(realpath "$2")
shift 2
source "$HERE/lib.sh"
source "$HERE/scenarios.sh"
source "$HERE/scenarios_log.sh"
source "$HERE/scenarios_recover.sh"
source "$HERE/scenarios_custom_mount.sh"
source "$HERE/scenarios_autoplay.sh"
source "$HERE/scenarios_multidisc.sh"

suite_start=$SECONDS
e2e_session || { echo "end-to-end setup failed"; echo "0 passed, 1 failed"; exit 1; }

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for name in "${SCENARIO_ORDER[@]}"; do
    [[ " ${E2E_EXCEPT:-} " == *" $name "* ]] || names+=("$name")
  done
fi

passed=0
failed=0
for name in "${names[@]}"; do
  rm -f "$E2E_WORK/failures"
  start=$SECONDS
  (
    "scenario_$name"
    status=$?
    kill_background
    [ "$status" -eq 0 ] || fail "the scenario stopped early (status $status)"
  ) >"$E2E_WORK/$name.out" 2>&1
  took=$((SECONDS - start))
  if [ -s "$E2E_WORK/failures" ]; then
    failed=$((failed + 1))
    echo "FAIL $name (${took}s)"
    sed 's/^/     /' "$E2E_WORK/failures"
  else
    passed=$((passed + 1))
    echo "PASS $name (${took}s)"
  fi
done
echo "end-to-end suite took $((SECONDS - suite_start))s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
