# The wait after the mount with [General] WaitForDisc and CancelAutoPlay: a
# mount tool that makes a CD drive appear, and the shell asking the launcher's
# AutoPlay handler in the running object table; with the keys off, the same
# runs wait the whole delay.
SCENARIO_ORDER+=(wait_for_disc wait_for_disc_replaced wait_for_disc_announced wait_for_disc_off
  autoplay_handler autoplay_handler_early autoplay_handler_drives autoplay_handler_off)

# log_count <fixed text>: the lines of the run log that hold it.
log_count() { grep -c -F -- "$1" "$DIR/tolvimer_launch.log"; }

# disc_folder <letter>: the Unix folder that becomes that drive when the
# stand-in mount tool "mounts" it after 800 ms, with the volume serial number
# 00C0FFEE. Drives stay defined for the whole Wine session: each scenario has
# a letter of its own.
disc_folder() {  # disc_folder <letter> [serial] [ms]
  local disc="$DIR/disc-${2:-00C0FFEE}"
  mkdir -p "$disc"
  printf '%s' "${2:-00C0FFEE}" >"$disc/.windows-serial"
  add_mount_tool "mount tool.exe"
  printf '[Disc]\nAfterMs=%s\nLetter=%s\nUnixPath=%s\n' "${3:-800}" "$1" "$disc" \
    >"$DIR/disc_plan.ini"
}

# ms from the first line of a log matching a pattern to the emulator's
# creation (the launcher's CreateProcess, before Wine starts the process up).
ms_to_emulator_created() {  # ms_to_emulator_created <log> <pattern>
  local from created
  from=$(tick "$1" "$2")
  created=$(sed -n -E 's/.* created tick=([0-9]+).*/\1/p' "$DIR/emulator_log.txt" | head -1)
  [ -n "$from" ] && [ -n "$created" ] && echo $((created - from))
}

disc_settings() {  # disc_settings <letter> <extra [General] lines>
  settings <<EOF2
[General]
Drive=$1
Delay=10
Log=true
MountTool=daemontools
$2
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
EOF2
}

# The drive K: does not exist before the mount; the tool defines it as a CD
# drive 800 ms after its start, and the 10 s wait ends within 300 ms of it.
scenario_wait_for_disc() {
  new_folder wait_for_disc
  emulator_script "$ESCAPE_SOON"
  disc_folder K
  disc_settings K "WaitForDisc=true"
  pads_script <<<'[Pads]'
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log mount_log.txt 'disc ready in K:'
  expect_in_range "ms from the disc's arrival to the emulator's creation (not the 10 s delay)" \
    0 300 "$(ms_to_emulator_created mount_log.txt 'disc ready')"
  expect_log tolvimer_launch.log 'K:\\ before the mount: no such drive'
  expect_log tolvimer_launch.log 'the disc became ready in K: after [0-9]+ ms'
  expect_in_range "seconds the whole run took" 0 8 "$LAUNCH_SECONDS"
  # The looks at K: turn Windows' critical-error boxes off only for the look:
  # the launcher has its own error mode (0 under Wine) back when it prepares
  # the gamepads, after the emulator's start. (Wine hands no error mode on to
  # a child: the mount tool and the emulator record 0 whatever it is.)
  expect_log dinput_log.txt 'DirectInputCreateA .* errormode=0x0$'
}

# M: already holds a disc (serial 0000BEEF) before the mount; the tool puts
# another one there (00C0FFEE) 800 ms after its start. Looks that find the old
# disc do not end the wait; the new one ends it within 300 ms.
scenario_wait_for_disc_replaced() {
  new_folder wait_for_disc_replaced
  emulator_script "$ESCAPE_SOON"
  disc_folder M 0000BEEF 0
  (cd "$DIR" && timeout -s KILL "$(slow 30)" wine "mount tool.exe" first >/dev/null 2>&1)
  expect_log mount_log.txt 'disc ready in M:'
  mv "$DIR/mount_log.txt" "$DIR/mount_log.first.txt"
  disc_folder M 00C0FFEE 800
  disc_settings M "WaitForDisc=true"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log tolvimer_launch.log 'M:\\ before the mount: a disc, volume serial number 0000-BEEF'
  expect_log mount_log.txt 'disc ready in M:'
  expect_in_range "ms from the new disc's arrival to the emulator's creation" \
    0 300 "$(ms_to_emulator_created mount_log.txt 'disc ready')"
  expect_log tolvimer_launch.log 'the disc became ready in M: after [0-9]+ ms'
  expect_in_range "seconds the whole run took" 0 8 "$LAUNCH_SECONDS"
}

# Windows announces a new volume to every top-level window; Wine's mount
# manager does not for a drive the tool defines, so here the tool announces
# N: itself: once while the wait runs and N: holds no disc yet (the hidden
# window takes the record and looks, and the wait goes on), and again once the
# disc is there. Which of the second announcement and the 100 ms look finds
# the disc first is left to chance; the first announcement's is not.
scenario_wait_for_disc_announced() {
  new_folder wait_for_disc_announced
  emulator_script "$ESCAPE_SOON"
  disc_folder N
  printf 'Announce=2\n' >>"$DIR/disc_plan.ini"
  disc_settings N "WaitForDisc=true"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log mount_log.txt 'announced N: result=1'
  expect_log tolvimer_launch.log \
    'the disc became ready in N: after [0-9]+ ms; Windows announced the volume on the drive after [0-9]+ ms'
  local found told
  found=$(sed -n -E 's/.*the disc became ready in N: after ([0-9]+) ms.*/\1/p' "$DIR/tolvimer_launch.log")
  told=$(sed -n -E 's/.*announced the volume on the drive after ([0-9]+) ms.*/\1/p' "$DIR/tolvimer_launch.log")
  expect_true "the first announcement came before the disc ($told ms into the wait, the disc $found)" \
    test "${told:-99999}" -lt "${found:-0}"
  expect_in_range "ms from the disc's arrival to the emulator's creation" \
    0 300 "$(ms_to_emulator_created mount_log.txt 'disc ready')"
}

scenario_wait_for_disc_off() {
  new_folder wait_for_disc_off
  emulator_script "$ESCAPE_SOON"
  disc_folder L
  disc_settings L "WaitForDisc=false"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log mount_log.txt 'disc ready in L:'
  expect_in_range "ms from the disc's arrival to the emulator's creation (the rest of 10 s)" \
    8000 11000 "$(ms_to_emulator_created mount_log.txt 'disc ready')"
  expect_no_log tolvimer_launch.log 'the disc became ready'
}

# The one query about K: the handler answered ended the 10 s wait at once,
# and the log tells it once.
expect_one_answer_ended_the_wait() {
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log handler_log.txt 'answer=0x00000001 for K:'
  expect_in_range "ms from the handler's answer to the emulator's start (not the 10 s delay)" \
    0 1500 "$(ms_between handler_log.txt 'answer=' emulator_log.txt '^t=[0-9]+ start ')"
  expect_log tolvimer_launch.log 'AutoPlay asked about K:\\ and was cancelled by the handler'
  expect_eq "the one query told once" 1 "$(log_count 'the AutoPlay handler answered a query about')"
  expect_eq "the count of the run" 1 \
    "$(log_count '-> the AutoPlay handler answered 1 query in all, 1 of them with S_FALSE')"
  expect_in_range "seconds the whole run took" 0 8 "$LAUNCH_SECONDS"
}

# The shell's side: the launcher's object found in the running object table
# under its class moniker; AllowAutoPlay answers S_FALSE and ends the wait.
scenario_autoplay_handler() {
  new_folder autoplay_handler
  emulator_script "$ESCAPE_SOON"
  settings <<'EOF2'
[General]
Delay=10
Log=true
CancelAutoPlay=true
EOF2
  background_tool autoplay-handler 1000 20000 "${WDIR}handler_log.txt"
  launch "$IMAGE"
  expect_one_answer_ended_the_wait
  expect_log tolvimer_launch.log \
    'the AutoPlay handler answered a query about K:\\ [0-9]+ ms after its registration: S_FALSE'
  expect_eq "the revoke's outcome" 1 "$(log_count \
    '-> revoke the AutoPlay handler from the running object table -- revoked; its thread has ended')"
}

# The shell asks as soon as the handler stands in the running object table,
# which can be before the hidden window of the wait exists: the answer is
# kept, and the 10 s wait ends at once all the same.
scenario_autoplay_handler_early() {
  new_folder autoplay_handler_early
  emulator_script "$ESCAPE_SOON"
  settings <<'EOF2'
[General]
Drive=K
Delay=10
Log=true
CancelAutoPlay=true
EOF2
  background_tool autoplay-handler-early 20000 "${WDIR}handler_log.txt" K
  launch "$IMAGE"
  expect_one_answer_ended_the_wait
}

# [General] Drive K: the shell's query about another drive during the wait is
# let through and the wait goes on; its query about K: once the emulator runs
# (the 3 s delay over) is still cancelled: the handler stays registered.
scenario_autoplay_handler_drives() {
  new_folder autoplay_handler_drives
  emulator_script 'Presses=27@4000'
  settings <<'EOF2'
[General]
Drive=K
Delay=3
Log=true
CancelAutoPlay=true
EOF2
  background_tool autoplay-handler 2200 20000 "${WDIR}handler_log.txt" FK
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log handler_log.txt 'answer=0x00000000 for F:'
  wait_log 5 handler_log.txt 'answer=0x00000001 for K:'
  expect_in_range "ms from the emulator's start to the query about K: (asked while it runs)" \
    1 3000 "$(ms_between emulator_log.txt '^t=[0-9]+ start ' handler_log.txt 'query K:')"
  expect_log tolvimer_launch.log 'the delay ran out after'
  expect_log tolvimer_launch.log 'cancels AutoPlay for K:\\ and lets any other drive'
  expect_log tolvimer_launch.log \
    'the AutoPlay handler answered a query about F:\\ [0-9]+ ms after its registration: S_OK'
  expect_log tolvimer_launch.log \
    'the AutoPlay handler answered a query about K:\\ [0-9]+ ms after its registration: S_FALSE'
  expect_eq "each query told once" 2 "$(log_count 'the AutoPlay handler answered a query about')"
  expect_eq "the count of the run" 1 \
    "$(log_count '-> the AutoPlay handler answered 2 queries in all, 1 of them with S_FALSE')"
  expect_in_range "seconds the whole run took (the whole 3 s delay)" 3 12 "$LAUNCH_SECONDS"
}

scenario_autoplay_handler_off() {
  new_folder autoplay_handler_off
  emulator_script "$ESCAPE_SOON"
  settings <<'EOF2'
[General]
Delay=10
Log=true
EOF2
  background_tool autoplay-handler 1000 20000 "${WDIR}handler_log.txt"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  wait_log 5 handler_log.txt 'not in the running object table'
  expect_no_log handler_log.txt 'answer='
  expect_in_range "seconds the whole run took (the whole 10 s delay)" 10 20 "$LAUNCH_SECONDS"
}
