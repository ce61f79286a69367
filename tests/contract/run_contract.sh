#!/usr/bin/env bash
# Runs the platform contract table under Wine against the real Win32
# platform: the Windows build's platform_contract.exe, on Wine's virtual
# desktop (Xvfb) in a Wine prefix of its own, set up as for the end-to-end
# tests (tests/e2e/lib.sh). Prints GoogleTest's report; exits non-zero when
# any row fails.
#
#   run_contract.sh <platform_contract.exe> <folder of the stand-ins> [GoogleTest flags]
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
CONTRACT_EXE=$(realpath "$1")
STANDINS=$(realpath "$2")
shift 2
source "$REPO/tests/e2e/lib.sh"
e2e_session || { echo "Wine could not be started"; exit 1; }

# Through a file, not a pipe: a service Wine starts would hold a pipe open.
(cd "$E2E_WORK" && timeout -s KILL 120 wine "$CONTRACT_EXE" \
  "--profile-cases=$(winpath "$REPO/tests/profile_cases")" "$@" \
  >"$E2E_WORK/contract.txt" 2>&1 </dev/null)
status=$?
tr -d '\r' <"$E2E_WORK/contract.txt"
[ "$status" -eq 0 ] || echo "run_contract: the table failed under Wine (status $status)"
exit "$status"
