# The run log's end-to-end scenarios ([General] Log=true), added to the
# scenarios of scenarios.sh.

SCENARIO_ORDER+=(run_log run_log_killed run_log_read_only_folder run_log_replaced)

source "$REPO/scripts/project_version.sh"

# The example settings file with the run log on, a 1 s delay and a mount tool
# given as $1.
logged_example_settings() {
  example_settings | sed -e "s|^Exe=.*|Exe=$(sed_text "$1")|" -e 's/^Delay=5$/Delay=1/' \
    -e 's/^Log=false$/Log=true/'
}

log_lines() { tr -d '\r' <"$DIR/tolvimer_launch.log" 2>/dev/null; }

# The step numbers of the log, in order, on one line.
log_steps() { log_lines | sed -n -E 's/^ *[0-9]+ ms   {1,2}([0-9]+)\. .*/\1/p' | paste -sd' '; }

scenario_run_log() {
  new_folder run_log
  emulator_script 'Presses=27@2500' LifetimeMs=20000
  # The mount tool's program is missing: its error is in the log.
  logged_example_settings "${WDIR}no mount tool.exe" | settings
  launch_start "$IMAGE" 20000
  # Written as it goes, and readable by another program meanwhile.
  expect_true "the log tells the watch while the emulator runs" \
    wait_log "$(slow 15)" tolvimer_launch.log 'watch every 500 ms'
  tool read "${WDIR}tolvimer_launch.log" "$(winpath "$E2E_WORK/log_meanwhile.txt")"
  grep -q 'watch every 500 ms' "$E2E_WORK/log_meanwhile.txt" 2>/dev/null ||
    fail "another program cannot read the log meanwhile"
  launch_wait
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local bad
  bad=$(log_lines | grep -v -c -E '^ *[0-9]+ ms  ')
  expect_eq "lines without a time stamp" 0 "$bad"
  expect_eq "first line" "tolvimer_launch $(project_version): run log, times in ms from tick N" \
    "$(log_lines | head -n1 | cut -c13- | sed -E 's/tick [0-9]+$/tick N/')"
  expect_log tolvimer_launch.log "command line: .*tolvimer_launch.exe.? D:.Images.Some Game.cdi"
  expect_log tolvimer_launch.log 'settings file: .*tolvimer_launch.ini \(found\)'
  # Every step, in order, as the plan numbers them.
  expect_eq "step numbers" "$(seq -s' ' 1 37)" "$(log_steps)"
  expect_log tolvimer_launch.log 'mount the image, starting without waiting for it: ".*no mount tool.exe" -noicon -mount 0,.* -- failed: error 2 \(.+\)'
  expect_log tolvimer_launch.log 'write 0x31 .* of dc_flash.bin'
  expect_log tolvimer_launch.log 'post command 32799 \(0x801F\) to the emulator window: Screen 800x600'
  expect_log tolvimer_launch.log 'play ends after [0-9]+ checks?: the exit key 27 \(Escape\) was pressed'
  expect_log tolvimer_launch.log 'unmount the image.* -- failed: error 2'
  # The close as it happened: the window was there, and the emulator
  # handled WM_CLOSE (asked before the message, not after the window went).
  expect_log tolvimer_launch.log '^ *[0-9]+ ms  how play ended: the exit key 27 \(Escape\) was pressed'
  expect_log tolvimer_launch.log '^ *[0-9]+ ms  put back: the emulator handled WM_CLOSE; '
  expect_no_log tolvimer_launch.log 'closed itself'
  expect_eq "last line" "exit code: 1" "$(log_lines | tail -n1 | cut -c13-)"
  expect_eq "commands reached the emulator as without the log" \
    "32785 32799 32782 32792 32778 32981" "$(events_without_escape)"
}

scenario_run_log_killed() {
  new_folder run_log_killed
  # The emulator outlives the killed launcher by a few seconds only (both
  # waits carry the start allowance).
  emulator_script "LifetimeMs=$(slow_ms 8000)"
  printf '[General]\nLog=true\nDelay=1\n' | settings
  # Nothing ends play: the launcher is killed (TerminateProcess) while it
  # watches.
  launch "$IMAGE" 4000
  expect_eq "the launcher was killed" 96 "$LAUNCH_CODE"
  expect_log tolvimer_launch.log 'watch every 500 ms until the emulator exits'
  expect_eq "steps left in the log" "$(seq -s' ' 1 32)" "$(log_steps)"
  expect_no_log tolvimer_launch.log 'exit code'
}

# Everything a run leaves, for comparing two runs in the same folder.
run_record() {
  echo "exit $LAUNCH_CODE"
  echo "events $(events_without_escape)"
  echo "flash $(differences dc_flash.orig dc_flash.bin)"
  echo "cfg $(differences tolvimer.orig tolvimer.cfg)"
  mount_lines 2
}

# Makes the launcher folder one where no file can be created: immutable for
# root, without write permission for anyone else. Where the file system has no
# immutable flag, a folder in the log's place keeps the log from being created
# all the same.
read_only_folder() {
  if [ "$(id -u)" = 0 ]; then
    chattr +i "$DIR" 2>/dev/null && return
    e2e_log "no immutable flag here: a folder stands in the log's place instead"
    mkdir "$DIR/tolvimer_launch.log"
  else
    chmod a-w "$DIR"
  fi
}

writable_folder() {
  if [ "$(id -u)" = 0 ]; then chattr -i "$DIR" 2>/dev/null; else chmod u+w "$DIR"; fi
}

scenario_run_log_read_only_folder() {
  new_folder run_log_read_only_folder
  add_mount_tool "mount tool.exe"
  emulator_script 'Presses=27@1500' LifetimeMs=20000
  logged_example_settings "${WDIR}mount tool.exe" | grep -v '^Log=' | settings
  launch "$IMAGE"
  local without
  without=$(run_record)
  expect_true "no log without Log=true" test ! -e "$DIR/tolvimer_launch.log"

  # Again in the same folder, now read-only (no file can be created in it),
  # with the log on: the stand-ins' logs exist beforehand, so that only the
  # launcher's log cannot be created.
  cp "$DIR/dc_flash.orig" "$DIR/dc_flash.bin"
  cp "$DIR/tolvimer.orig" "$DIR/tolvimer.cfg"
  local log
  for log in emulator_log.txt mount_log.txt run_log.txt; do : >"$DIR/$log"; done
  logged_example_settings "${WDIR}mount tool.exe" | settings
  read_only_folder
  launch "$IMAGE"
  local with
  with=$(run_record)
  writable_folder
  expect_true "no log in the read-only folder" test ! -f "$DIR/tolvimer_launch.log"
  expect_eq "the run with the log on in a read-only folder" "$without" "$with"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
}

# Lines of the log file as written: those that do not end in CR LF, and the
# last one when the file does not end in a line break.
log_lines_without_crlf() {
  LC_ALL=C awk 'BEGIN { RS = "\n" } !/\r$/ { n++ } END { print n + 0 }' "$DIR/tolvimer_launch.log"
}

scenario_run_log_replaced() {
  new_folder run_log_replaced
  emulator_script 'Presses=27@1500' LifetimeMs=20000
  # The mount tool's Exe is a file but no program: Windows' text for that
  # error has an insert (%1) that the log cannot fill in.
  printf 'not a program\r\n' >"$DIR/not a program.exe"
  logged_example_settings "${WDIR}not a program.exe" | settings
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log tolvimer_launch.log \
    'mount the image, starting without waiting for it: ".*not a program.exe" .* -- failed: error 193 \([^%)]*the file[^%)]*\)'
  expect_no_log tolvimer_launch.log '%[0-9]'
  expect_eq "log lines not ending in CR LF" 0 "$(log_lines_without_crlf)"
  expect_eq "the log ends in CR LF" "0d0a" "$(tail -c 2 "$DIR/tolvimer_launch.log" | od -An -tx1 | tr -d ' \n')"
  local first_size
  first_size=$(stat -c %s "$DIR/tolvimer_launch.log")
  cp "$DIR/tolvimer_launch.log" "$DIR/first_run.log"  # kept with E2E_KEEP=1

  # A second, shorter run in the same folder: its log replaces the first
  # whole, with nothing of the longer one left after its end.
  printf '[General]\r\nLog=true\r\nTolvimerExe=no_such_emulator.exe\r\n' | settings
  launch "$IMAGE" 10000
  expect_eq "exit code of the second run" 0 "$LAUNCH_CODE"
  expect_true "the second log is shorter than the first" \
    test "$(stat -c %s "$DIR/tolvimer_launch.log")" -lt "$first_size"
  expect_eq "run log heads" 1 "$(log_lines | grep -c -E ': run log, times in ms from tick [0-9]+$')"
  expect_eq "last line" "exit code: 0" "$(log_lines | tail -n1 | cut -c13-)"
  expect_no_log tolvimer_launch.log 'not a program'
  expect_eq "log lines not ending in CR LF (second run)" 0 "$(log_lines_without_crlf)"
}
