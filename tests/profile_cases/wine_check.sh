#!/usr/bin/env bash
# Reads every case of the differential table with Wine's
# GetPrivateProfileStringA, through the launcher's own settings code, and
# compares the answers with the table; then runs the randomized differential
# of the project's reader against the same system reads (a fixed seed, 4,000
# files, about a minute).
#   wine_check.sh PROBE_EXE WORK_DIR [--print | --long] [--seed N] [--plan PLAN_EXE]
# Each case file is laid out as "tolvimer_launch.ini" beside its own copy of
# the probe, as the launcher finds its settings. The Wine prefix lives in
# WORK_DIR/prefix (created once); one wineserver is kept up for the run and
# ended by its pid. --print shows what Wine read for the table instead of
# comparing (and skips the random files); --long reads 100,000 random files.
# --plan also runs the Windows tolvimer_plan on a file with a UTF-8
# byte-order mark: it must show what the system (here Wine) reads, and warn
# that Windows reads it otherwise.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
probe=$1
work=$2
shift 2
mode=
seed=1
count=4000
plan=
while [ $# -gt 0 ]; do
  case $1 in
    --print) mode=--print ;;
    --long) count=100000 ;;
    --seed) seed=$2; shift ;;
    --plan) plan=$2; shift ;;
    *) echo "wine_check: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
mkdir -p "$work"
work=$(cd "$work" && pwd)

export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEARCH DISPLAY

winpath() { printf 'Z:%s' "${1//\//\\}"; }

if [ ! -f "$WINEPREFIX/.ready" ]; then
  rm -rf "$WINEPREFIX"
  timeout 120 wineboot -i >/dev/null 2>&1
  # wineboot leaves the prefix's services running: end them with the server.
  timeout 30 wineserver -k
  timeout 60 wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine_check: no Wine prefix" >&2; exit 1; }
  touch "$WINEPREFIX/.ready"
fi

wineserver -f -p >/dev/null 2>&1 &
server=$!
# Ends the programs of this prefix (Wine starts its services with the first
# program) and the server started here.
finish() {
  timeout 30 wineserver -k 2>/dev/null
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
}
trap finish EXIT

# Runs a Windows program from a fresh folder of its own, work/run/NAME, as
# the launcher would be found beside its settings file; its output, without
# CRs, goes to NAME's out.txt. Through a file, not a pipe: a service Wine
# starts would hold a pipe open. Gives the program's status.
#   run_in_folder NAME EXE SECONDS [SETTINGS_FILE] -- ARGS...
run_in_folder() {
  local name=$1 exe=$2 seconds=$3 settings=$4
  shift 5
  dir=$work/run/$name
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$exe" "$dir/$(basename "$exe")"
  [ -z "$settings" ] || cp "$settings" "$dir/tolvimer_launch.ini"
  timeout "$seconds" wine "$dir/$(basename "$exe")" "$@" >"$dir/raw.txt" 2>&1 </dev/null
  local status=$?
  tr -d '\r' <"$dir/raw.txt" >"$dir/out.txt"
  return "$status"
}

table=$(winpath "$here/cases.txt")
failed=0
for file in "$here"/files/*.ini; do
  name=$(basename "$file")
  args=("$table" "$name")
  [ "$mode" = --print ] && args+=(--print)
  run_in_folder "${name%.ini}" "$probe" 30 "$file" -- "${args[@]}"
  status=$?
  cat "$dir/out.txt"
  [ "$status" = 0 ] || failed=1
done
# A failing probe prints its differences; a status without them (a crash, a
# time-out) still fails the check.
if [ "$failed" = 0 ]; then
  [ "$mode" = --print ] || echo "wine_check: every read matches the table"
else
  echo "wine_check: Wine's reads differ from the table (see above)"
fi
[ "$mode" = --print ] && exit "$failed"

run_in_folder random "$probe" $((count / 20 + 300)) '' -- --random "$seed" "$count"
status=$?
cat "$dir/out.txt"
if [ "$status" != 0 ]; then
  echo "wine_check: the randomized differential failed (status $status)"
  failed=1
fi

if [ -n "$plan" ]; then
  run_in_folder plan "$plan" 60 "$here/files/bom_utf8.ini" -- 'D:\Some Game.cdi'
  if grep -q '\[General\] Region = "jap"' "$dir/out.txt" &&
    grep -q 'UTF-8 byte-order mark, which Windows does not recognise' "$dir/out.txt"; then
    echo "wine_check: tolvimer_plan.exe reads through the system and warns about the mark"
  else
    cat "$dir/out.txt"
    echo "wine_check: tolvimer_plan.exe does not show the system's reads with the warning"
    failed=1
  fi
fi
exit "$failed"
