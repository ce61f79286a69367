# The Wine environment and the helpers the end-to-end scenarios share.
# Sourced by run_e2e.sh and scripts/run.sh. Expects LAUNCHER_EXE (the built
# tolvimer_launch.exe) and STANDINS (the folder of the stand-in programs).
#
# One Wine prefix per run (copied from a template kept beside the stand-ins,
# created once), one `wineserver -p` and one Xvfb, both started here and ended
# by their pids. The prefix runs every program on Wine's virtual desktop of
# 1024x768, where display modes can be changed; a small window of e2e_tool is
# kept open for the whole run so that the desktop, and its mode, stay up.

E2E_TIMEOUT=${E2E_TIMEOUT:-30}  # seconds for any single wine call
# Milliseconds more that a launcher may take to start: where 32-bit programs
# run through qemu, a 32-bit launcher takes about a minute before its first
# step. What a scenario measures from the launcher's own steps is unchanged.
E2E_SLOW_START_MS=${E2E_SLOW_START_MS:-0}
slow() { echo $(($1 + E2E_SLOW_START_MS / 1000)); }           # seconds, plus the allowance
slow_ms() { echo $(($1 + E2E_SLOW_START_MS)); }               # milliseconds, plus the allowance

sed_text() { printf '%s' "${1//\\/\\\\}" | sed 's/[|&]/\\&/g'; }  # literal sed replacement

winpath() {  # the Windows form of an absolute Unix path, on Wine's drive Z:
  printf 'Z:%s' "${1//\//\\}"
}

e2e_log() { echo "$*" >&2; }

# A display number nobody uses; the lock file tells.
free_display() {
  local n
  for n in $(seq 90 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return; }
  done
  return 1
}

wait_for() {  # wait_for <seconds> <command...>: true once the command succeeds
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# The prepared prefix: created once with wineboot, then set up so that Wine
# needs no window manager (Managed=N: hiding a window under a bare X server
# otherwise blocks two seconds), runs everything on a virtual desktop, and
# limits its relay trace, when a launch asks for it, to the calls whose
# arguments a scenario checks. The ready mark lists the keys it was made with,
# so a change to them makes the prefix anew; so does E2E_PREFIX_FLAVOUR (set
# by scripts/wine_build.sh), which tells whether the prefix can hold Wine's
# 32-bit half.
PREFIX_KEYS=(
  'HKCU\Software\Wine\X11 Driver|Managed|N'
  'HKCU\Software\Wine\Explorer|Desktop|Default'
  'HKCU\Software\Wine\Explorer\Desktops|Default|1024x768'
  'HKCU\Software\Wine\Debug|RelayInclude|user32.ChangeDisplaySettingsA'
)

make_prefix_template() {
  local template=$1 made_with
  made_with=$(printf '%s\n' "${PREFIX_KEYS[@]}" "${E2E_PREFIX_FLAVOUR:-}")
  [ "$(cat "$template/.e2e-ready" 2>/dev/null)" = "$made_with" ] && return 0
  e2e_log "Creating the Wine prefix (once; minutes where Wine's 32-bit half runs through qemu)..."
  rm -rf "$template"
  WINEPREFIX=$template timeout 600 wineboot -i >"$template.wineboot.txt" 2>&1 || true
  WINEPREFIX=$template timeout 60 wineserver -w
  if ! [ -f "$template/system.reg" ]; then
    e2e_log "wineboot made no prefix: $(grep -m1 -i -E 'error|cannot|failed|not found' \
      "$template.wineboot.txt" || head -n1 "$template.wineboot.txt")"
    return 1
  fi
  local key
  for key in "${PREFIX_KEYS[@]}"; do
    IFS='|' read -r path name value <<<"$key"
    WINEPREFIX=$template timeout 60 wine reg add "$path" /v "$name" /d "$value" /f >/dev/null 2>&1
  done
  WINEPREFIX=$template timeout 60 wineserver -w
  [ -f "$template/system.reg" ] || return 1
  printf '%s\n' "$made_with" >"$template/.e2e-ready"
}

# Sets up Xvfb and Wine for the calling script and tears them down when it
# exits or is interrupted; fails like e2e_setup.
e2e_session() {
  trap e2e_teardown EXIT
  trap 'exit 130' INT TERM
  e2e_setup
}

e2e_setup() {
  E2E_WORK=$(mktemp -d /tmp/tolvimer-e2e.XXXXXX)
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;dinput=n,b"
  unset WINEARCH

  local display
  display=$(free_display) || { e2e_log "no free X display"; return 1; }
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$display"
  wait_for 10 test -e "/tmp/.X11-unix/X$display" || { e2e_log "Xvfb did not start"; return 1; }

  # E2E_PREFIX_TEMPLATE lets the runs of several builds share one template.
  local template=${E2E_PREFIX_TEMPLATE:-$STANDINS/wineprefix-template}
  mkdir -p "$(dirname "$template")"
  (
    flock -w 900 9 || exit 1
    make_prefix_template "$template"
  ) 9>"$template.lock" || { e2e_log "no Wine prefix"; return 1; }
  export WINEPREFIX="$E2E_WORK/prefix"
  cp -a "$template" "$WINEPREFIX"

  wineserver -f -p >/dev/null 2>&1 &
  WINESERVER_PID=$!
  E2E_STOP="$E2E_WORK/stop-hold"
  timeout -s KILL $((900 + 40 * E2E_SLOW_START_MS / 1000)) wine "$STANDINS/e2e_tool.exe" hold \
    $((890000 + 40 * E2E_SLOW_START_MS)) "$(winpath "$E2E_STOP")" \
    >/dev/null 2>&1 &
  HOLD_PID=$!
  E2E_TOOL_OUT="$E2E_WORK/screen.txt"
  wait_for 30 desktop_is 1024x768 || { e2e_log "Wine's virtual desktop did not come up"; return 1; }
}

e2e_teardown() {
  set +eu  # runs at exit: every step is tried whatever the one before did
  kill_background
  if [ -n "${HOLD_PID:-}" ]; then
    touch "$E2E_STOP"
    wait_for 5 bash -c "! kill -0 $HOLD_PID 2>/dev/null" || kill "$HOLD_PID" 2>/dev/null
    wait "$HOLD_PID" 2>/dev/null
  fi
  if [ -n "${WINESERVER_PID:-}" ]; then
    # Ends every program of this run's prefix (Wine's own services too, which
    # would outlive a server that is merely killed), then the server itself.
    timeout 20 wineserver -k >/dev/null 2>&1
    wait_for 10 bash -c "! kill -0 $WINESERVER_PID 2>/dev/null" || kill "$WINESERVER_PID" 2>/dev/null
    wait "$WINESERVER_PID" 2>/dev/null
  fi
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  HOLD_PID='' WINESERVER_PID='' XVFB_PID=''
  if [ -n "${E2E_WORK:-}" ] && [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_WORK"; fi
}

# ---- Wine helpers -----------------------------------------------------------

tool() {  # runs e2e_tool.exe with a time limit
  timeout -s KILL "$E2E_TIMEOUT" wine "$STANDINS/e2e_tool.exe" "$@" >/dev/null 2>&1
}

screen_size() {
  rm -f "$E2E_TOOL_OUT"
  tool screen "$(winpath "$E2E_TOOL_OUT")" && tr -d '\r\n' <"$E2E_TOOL_OUT"
}

desktop_is() { [ "$(screen_size)" = "$1" ]; }

restore_desktop() { tool restore; }

# Puts the cursor mid-screen before a test that looks where the launcher parks
# it. On Wine's virtual desktop a mode switch moves Wine's cursor into the
# smaller screen without moving the X pointer, and a later park on that same
# point is then not passed on to X, which hands its stale position back.
centre_cursor() { tool cursor 320 240; }

BACKGROUND_PIDS=()

background_tool() {  # starts e2e_tool.exe in the background until the scenario ends
  timeout -s KILL "$(slow 60)" wine "$STANDINS/e2e_tool.exe" "$@" >/dev/null 2>&1 &
  BACKGROUND_PIDS+=($!)
}

kill_background() {
  local pid
  for pid in "${BACKGROUND_PIDS[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  BACKGROUND_PIDS=()
}

# ---- The launcher folder ----------------------------------------------------

# new_folder <name>: a launcher folder with the launcher, the stand-in
# emulator under its default name and the emulator's two files, filled with a
# known pattern. Sets DIR (Unix) and WDIR (Windows, with its backslash).
new_folder() {
  DIR="$E2E_WORK/$1"
  rm -rf "$DIR"
  mkdir -p "$DIR"
  WDIR="$(winpath "$DIR")\\"
  cp "$LAUNCHER_EXE" "$DIR/tolvimer_launch.exe"
  cp "$STANDINS/stand_in_emulator.exe" "$DIR/Tolvimer_alpha_25.exe"
  # 200000 bytes with every byte value in turn; 32 bytes of letters.
  local flash="$E2E_WORK/flash.pattern" pattern
  if [ ! -f "$flash" ]; then
    pattern=$(printf '\\%03o' $(seq 1 251))
    for _ in $(seq 800); do printf "$pattern"; done 2>/dev/null | head -c 200000 >"$flash"
  fi
  cp "$flash" "$DIR/dc_flash.bin"
  printf 'ABCDEFGHIJKLMNOPQRSTUVWXYZ012345' >"$DIR/tolvimer.cfg"
  cp "$DIR/dc_flash.bin" "$DIR/dc_flash.orig"
  cp "$DIR/tolvimer.cfg" "$DIR/tolvimer.orig"
  printf '[Emulator]\nLifetimeMs=20000\n' >"$DIR/emulator_script.ini"
}

settings() { cat >"$DIR/tolvimer_launch.ini"; }  # the settings file, from stdin

# The example settings file as shipped.
example_settings() { cat "$REPO/examples/tolvimer_launch.ini"; }

emulator_script() {  # emulator_script Key=Value...
  { echo '[Emulator]'; printf '%s\n' "$@"; } >"$DIR/emulator_script.ini"
}

pads_script() { cp "$STANDINS/dinput.dll" "$DIR/" && cat >"$DIR/pads.ini"; }

add_mount_tool() {  # add_mount_tool <file name>: the stand-in mount tool in the folder
  cp "$STANDINS/stand_in_mount_tool.exe" "$DIR/$1"
}

# launch <text after the launcher's name> [timeout ms]: runs the launcher with
# exactly that command line and waits for it. Sets LAUNCH_CODE and
# LAUNCH_SECONDS. launch_start and launch_wait do the same in two halves, for
# a scenario that acts while the launcher runs. With LAUNCH_TRACE=1 the run
# writes Wine's relay trace of the calls listed in the prefix to
# wine_trace.txt in the folder.
launch_start() {
  local args=$1 limit debug=$WINEDEBUG trace=/dev/null
  limit=$(slow_ms "${2:-20000}")
  if [ -n "${LAUNCH_TRACE:-}" ]; then
    debug=-all,+relay
    trace="$DIR/wine_trace.txt"
  fi
  if [ -n "$args" ]; then
    printf '%s %s' "${WDIR}tolvimer_launch.exe" "$args" >"$DIR/command_line.txt"
  else
    printf '%s' "${WDIR}tolvimer_launch.exe" >"$DIR/command_line.txt"
  fi
  tool clear-keys
  LAUNCH_START=$SECONDS
  # Started from the work folder: the launcher must find its files by its own
  # path, not by the current directory.
  (cd "$E2E_WORK" && WINEDEBUG=$debug exec timeout -s KILL $((limit / 1000 + 15)) wine \
    "$STANDINS/e2e_tool.exe" run "$limit" "${WDIR}command_line.txt" "${WDIR}run_log.txt" \
    >/dev/null 2>"$trace") &
  LAUNCH_PID=$!
}

launch_wait() {
  wait "$LAUNCH_PID"
  LAUNCH_CODE=$?
  LAUNCH_SECONDS=$((SECONDS - LAUNCH_START))
}

launch() {
  launch_start "$@"
  launch_wait
}

# ---- Reading the records ----------------------------------------------------

emulator_log() { cat "$DIR/emulator_log.txt" 2>/dev/null; }

# The tick of the first line of a log matching a pattern (empty if none).
tick() { grep -m1 -E -e "$2" "$DIR/$1" 2>/dev/null | sed -E 's/^t=([0-9]+) .*/\1/'; }

ms_between() {  # ms_between <log> <pattern> <log> <pattern>: second tick minus first
  local a b
  a=$(tick "$1" "$2")
  b=$(tick "$3" "$4")
  if [ -n "$a" ] && [ -n "$b" ]; then echo $((b - a)); else echo none; fi
}

# What reached the emulator while its window was open, in order: commands as
# their ids, key taps as vk<code><d|u>, e.g. "32785 32555 vk13d vk13u 32556".
# What Wine delivers after the close (the key-up of a press that the close
# overtook, as it may where the launcher runs emulated) is not the launcher's.
emulator_events() {
  emulator_log | sed -E '/^t=[0-9]+ closed/q' | awk '
    / command id=/ { sub(/.*id=/, ""); sub(/ .*/, ""); out = out sep $0; sep = " " }
    / key vk=/ { split($0, f, /[ =]/); for (i = 1; i in f; i++) { if (f[i] == "vk") vk = f[i + 1] }
                 ud = ($0 ~ / up /) ? "u" : "d"; out = out sep "vk" vk ud; sep = " " }
    END { print out }'
}

# The value of field <name> on the first log line matching a pattern.
field() {
  grep -m1 -E -e "$2" "$DIR/$1" 2>/dev/null | tr ' ' '\n' | sed -n "s/^$3=//p" | head -n1
}

mount_runs() { cat "$DIR/mount_log.txt" 2>/dev/null | grep -c ' cmdline '; }
mount_runs_at_least() { [ "$(mount_runs)" -ge "$1" ]; }

# The mount tool's command lines, once <count> runs have logged theirs (the
# launcher does not wait for the tool, so the last one may still be on its
# way), and a moment more so that an unexpected further run shows too.
mount_lines() {
  wait_for 5 mount_runs_at_least "$1"
  sleep 0.3
  sed -n -E 's/^t=[0-9]+ cmdline //p' "$DIR/mount_log.txt" 2>/dev/null
}

# The ChangeDisplaySettingsA calls of a launch made with LAUNCH_TRACE=1, in
# order, as Wine's relay trace shows their two arguments: "mode flags=0x0" for
# a call with a mode record, "registry flags=0x0" for one without (back to the
# mode stored in the registry), joined by '|'.
display_settings_calls() {
  local mode flags sep=''
  while read -r mode flags; do
    if [ $((16#$mode)) -eq 0 ]; then printf '%sregistry' "$sep"; else printf '%smode' "$sep"; fi
    printf ' flags=0x%x' $((16#$flags))
    sep='|'
  done < <(sed -n -E 's/.*Call user32\.ChangeDisplaySettingsA\(([0-9a-fA-F]+),([0-9a-fA-F]+)\).*/\1 \2/p' \
    "$DIR/wine_trace.txt" 2>/dev/null)
}

wait_log() {  # wait_log <seconds> <log> <pattern>
  wait_for "$1" grep -s -q -E -e "$3" "$DIR/$2"
}

# ---- Checks -----------------------------------------------------------------
# Each check records a failure and carries on, so that one run of a scenario
# reports everything that went wrong in it.

fail() { echo "$*" >>"$E2E_WORK/failures"; }

expect_eq() {  # expect_eq <what> <expected> <actual>
  [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

expect_true() {  # expect_true <what> <command...>
  local what=$1
  shift
  "$@" || fail "$what"
}

expect_in_range() {  # expect_in_range <what> <low> <high> <value>
  if ! [[ "$4" =~ ^-?[0-9]+$ ]] || [ "$4" -lt "$2" ] || [ "$4" -gt "$3" ]; then
    fail "$1: expected $2..$3, got [$4]"
  fi
}

expect_log() {  # expect_log <log> <pattern>
  grep -q -E -e "$2" "$DIR/$1" 2>/dev/null || fail "$1 has no line matching /$2/"
}

expect_no_log() {
  if grep -q -E -e "$2" "$DIR/$1" 2>/dev/null; then fail "$1 has a line matching /$2/"; fi
}

# Bytes of a file as hex, from an offset, for a count.
bytes_at() { od -An -tx1 -v -j "$2" -N "$3" "$DIR/$1" | tr -d ' \n'; }

# Every byte offset where two files differ, as "offset:old:new" (cmp numbers
# from 1 and prints octal).
differences() {
  local offset old new sep=''
  while read -r offset old new; do
    printf '%s%d:%02x:%02x' "$sep" $((offset - 1)) $((8#$old)) $((8#$new))
    sep=' '
  done < <(cmp -l "$DIR/$1" "$DIR/$2" 2>/dev/null)
}
