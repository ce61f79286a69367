# The end-to-end scenario of [General] Recover=true, added to the scenarios of
# scenarios.sh: a launcher killed during play, then the next launch.

SCENARIO_ORDER+=(recover_after_kill recover_only recover_reused_id two_launches_one_folder)

scenario_recover_after_kill() {
  new_folder recover_after_kill
  add_mount_tool "mount tool.exe"
  # The first emulator plays on after its launcher is killed.
  emulator_script LifetimeMs=60000
  settings <<EOF
[General]
Recover=true
ForceFull=true
Screen=800x600
MountTool=daemontools
Unmount=true
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
EOF
  expect_true "desktop at 1024x768 before the run" desktop_is 1024x768
  # Killed (TerminateProcess) while it watches.
  launch "$IMAGE" 5000
  expect_eq "the launcher was killed" 96 "$LAUNCH_CODE"
  expect_true "the undo record is left behind" test -s "$DIR/tolvimer_launch.undo"
  expect_true "the desktop stays at 800x600 after the kill" desktop_is 800x600
  expect_eq "mount tool runs of the killed launcher" 1 "$(mount_lines 1 | wc -l)"
  # The old emulator's further lines and the next run's go to fresh logs.
  mv "$DIR/emulator_log.txt" "$DIR/emulator_log.first.txt"
  mv "$DIR/mount_log.txt" "$DIR/mount_log.first.txt"
  local old_pid
  old_pid=$(sed -n -E 's/^t=[0-9]+ start pid=([0-9]+) .*/\1/p' "$DIR/emulator_log.first.txt")

  # The next launch; its own emulator is ended by Escape. The old run's
  # unmount takes 1.5 s, and ends before the new mount starts.
  printf '[Slow]\r\nWhen=-unmount\r\nMs=1500\r\n' >"$DIR/disc_plan.ini"
  emulator_script "$ESCAPE_SOON"
  LAUNCH_TRACE=1 launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_in_range "ms from the old emulator's end to the new one's start" 0 20000 \
    "$(ms_between emulator_log.txt '^t=[0-9]+ end reason=close' emulator_log.txt '^t=[0-9]+ start ')"
  expect_eq "emulators that started in the next launch" 1 \
    "$(grep -c -E '^t=[0-9]+ start ' "$DIR/emulator_log.txt")"
  [ "$(sed -n -E 's/^t=[0-9]+ start pid=([0-9]+) .*/\1/p' "$DIR/emulator_log.txt")" != "$old_pid" ] ||
    fail "the old emulator's pid started again"
  expect_eq "mount tool lines: the old unmount, then the run's own mount and unmount" \
    "\"${WDIR}mount tool.exe\" -unmount 0|\"${WDIR}mount tool.exe\" -noicon -mount 0,\"$IMAGE\"|\"${WDIR}mount tool.exe\" -unmount 0" \
    "$(mount_lines 3 | paste -sd'|')"
  expect_in_range "ms from the old emulator's end to the old unmount" 0 5000 \
    "$(ms_between emulator_log.txt '^t=[0-9]+ end reason=close' mount_log.txt '-unmount')"
  expect_eq "the old unmount ended before the new mount started" "cmdline|end|cmdline" \
    "$(sed -n -E 's/^t=[0-9]+ (cmdline|end).*/\1/p' "$DIR/mount_log.txt" | head -3 | paste -sd'|')"
  expect_in_range "ms from the old unmount's end to the new mount" 0 5000 \
    "$(ms_between mount_log.txt '^t=[0-9]+ end' mount_log.txt ' -noicon -mount ')"
  # Back to the registry's mode first, then the run's own switch and restore.
  expect_eq "ChangeDisplaySettingsA calls" "registry flags=0x0|mode flags=0x0|registry flags=0x0" \
    "$(display_settings_calls)"
  expect_eq "screen when the new emulator started" 800x600 \
    "$(field emulator_log.txt '^t=[0-9]+ window ' screen)"
  expect_true "desktop restored to 1024x768 after the run" desktop_is 1024x768
  expect_true "no undo record is left" test ! -e "$DIR/tolvimer_launch.undo"
  expect_true "no new record file is left" test ! -e "$DIR/tolvimer_launch.undo.new"
  desktop_is 1024x768 || restore_desktop
}

# The same kill, then "tolvimer_launch.exe --recover": everything is put right
# and no game starts; the run log tells what was put back.
scenario_recover_only() {
  new_folder recover_only
  add_mount_tool "mount tool.exe"
  emulator_script LifetimeMs=60000
  settings <<EOF
[General]
Recover=true
Log=true
ForceFull=true
Screen=640x480
MountTool=daemontools
Unmount=true
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
EOF
  launch "$IMAGE" 5000
  expect_eq "the launcher was killed" 96 "$LAUNCH_CODE"
  expect_true "the desktop stays at 640x480 after the kill" desktop_is 640x480
  mv "$DIR/emulator_log.txt" "$DIR/emulator_log.first.txt"
  mv "$DIR/mount_log.txt" "$DIR/mount_log.first.txt"

  launch --recover
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log emulator_log.txt '^t=[0-9]+ end reason=close'
  expect_no_log emulator_log.txt '^t=[0-9]+ start '
  expect_eq "mount tool lines: the old unmount only" "\"${WDIR}mount tool.exe\" -unmount 0" \
    "$(mount_lines 1)"
  expect_true "desktop restored to 1024x768" desktop_is 1024x768
  expect_true "no undo record is left" test ! -e "$DIR/tolvimer_launch.undo"
  expect_log tolvimer_launch.log 'undo record: a run cut short \(launcher process id [0-9]+\) left changes behind'
  expect_log tolvimer_launch.log 'undo record: the emulator of that run \(process id [0-9]+\) was still running: sent WM_CLOSE, it has ended'
  expect_log tolvimer_launch.log 'undo record: the desktop returned to the mode stored in the registry'
  expect_log tolvimer_launch.log "put back: the cut-short run's emulator was sent WM_CLOSE; the unmount command was started; the desktop mode was restored"
  desktop_is 1024x768 || restore_desktop
}

# undo_record_later_emulator: the record's emulator given a creation time one
# tick later (its checksum made again), as if Windows had handed that process
# id on to a process started after the run was cut short.
undo_record_later_emulator() {
  python3 - "$DIR/tolvimer_launch.undo" <<'EOF2'
import struct, sys
path = sys.argv[1]
record = bytearray(open(path, 'rb').read())
created = struct.unpack_from('<Q', record, 40)[0]  # the emulator: id at 36, time at 40
struct.pack_into('<Q', record, 40, created + 1)
checksum = 2166136261  # FNV-1a over all after the checksum at 16
for byte in record[20:]:
    checksum = ((checksum ^ byte) * 16777619) & 0xFFFFFFFF
struct.pack_into('<I', record, 16, checksum)
open(path, 'wb').write(record)
EOF2
}

# The launcher killed during play, its emulator still running, but the
# record names that process id with another creation time: --recover takes
# it for another program that has the id now and leaves it alone.
scenario_recover_reused_id() {
  new_folder recover_reused_id
  emulator_script LifetimeMs=60000
  printf '[General]\nRecover=true\nLog=true\n' >"$DIR/tolvimer_launch.ini"
  launch "$IMAGE" 5000
  expect_eq "the launcher was killed" 96 "$LAUNCH_CODE"
  expect_true "the undo record is left behind" test -s "$DIR/tolvimer_launch.undo"
  local pid
  pid=$(sed -n -E 's/^t=[0-9]+ start pid=([0-9]+) .*/\1/p' "$DIR/emulator_log.txt")
  undo_record_later_emulator
  mv "$DIR/tolvimer_launch.log" "$DIR/tolvimer_launch.first.log"

  launch --recover
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log tolvimer_launch.log "undo record: the emulator of that run \(process id $pid\) is no longer running"
  expect_no_log emulator_log.txt '^t=[0-9]+ (close|end)'
  expect_true "no undo record is left" test ! -e "$DIR/tolvimer_launch.undo"
}

# Two launches in one folder: the first holds its record open for its whole
# run, so the second, started while the first plays, leaves that record as it
# is, keeps none of its own, and says so in its log (turned on for it only:
# the first run's log is held open too).
scenario_two_launches_one_folder() {
  new_folder two_launches_one_folder
  emulator_script LifetimeMs=60000
  settings <<EOF2
[General]
Recover=true
EOF2
  launch_start "$IMAGE" 20000
  local first=$LAUNCH_PID
  wait_for 15 test -s "$DIR/tolvimer_launch.undo" || fail "the first launch wrote no record"
  cp "$DIR/tolvimer_launch.undo" "$DIR/undo.first"
  # The first emulator has read its script before the second's is written.
  wait_for 15 grep -q -E '^t=[0-9]+ start ' "$DIR/emulator_log.txt" ||
    fail "the first emulator did not start"
  sleep 1

  emulator_script LifetimeMs=1500
  printf '[General]\nRecover=true\nLog=true\n' >"$DIR/tolvimer_launch.ini"
  launch "$IMAGE"
  expect_eq "the second launch's exit code" 1 "$LAUNCH_CODE"
  expect_log tolvimer_launch.log \
    'undo record: tolvimer_launch.undo is held open by a launcher that is running: nothing is touched, and this run keeps no record'
  expect_true "the first run's record is unchanged after the second run" \
    cmp -s "$DIR/tolvimer_launch.undo" "$DIR/undo.first"

  LAUNCH_PID=$first
  launch_wait
  expect_eq "the first launcher was killed" 96 "$LAUNCH_CODE"
  expect_true "the first run's record is still its own" \
    cmp -s "$DIR/tolvimer_launch.undo" "$DIR/undo.first"
}
