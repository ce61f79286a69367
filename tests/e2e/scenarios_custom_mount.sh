# The scenarios of [General] MountTool=custom and of the run log's words on
# the mount lines, added to those of scenarios.sh and scenarios_log.sh.

SCENARIO_ORDER+=(mount_custom quoted_image_path_logged)

# The stand-in tool gets exactly the lines [CustomMount] gives: the front
# end's quotes taken off {image}, {drive} the letter of [General] Drive, and
# each line read when it is built.
scenario_mount_custom() {
  new_folder mount_custom
  add_mount_tool "custom tool.exe"
  emulator_script "Presses=27@800"
  settings <<EOF2
[General]
MountTool=Custom
Unmount=true
Drive=e
Log=true
[CustomMount]
Exe=${WDIR}custom tool.exe
MountArgs=--mount "{image}" --letter {drive}: {{image}}
UnmountArgs=--eject {drive}: "{image}"
EOF2
  launch "\"$IMAGE\""
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local mount="\"${WDIR}custom tool.exe\" --mount \"$IMAGE\" --letter E: {image}"
  local unmount="\"${WDIR}custom tool.exe\" --eject E: \"$IMAGE\""
  expect_eq "mount line" "$mount" "$(mount_lines 2 | sed -n 1p)"
  expect_eq "unmount line" "$unmount" "$(mount_lines 2 | sed -n 2p)"
  expect_eq "mount tool runs" 2 "$(mount_lines 2 | wc -l)"
  expect_eq "the log shows the mount line as run" 1 \
    "$(log_lines | grep -c -F -- "-> mount the image, starting without waiting for it: $mount")"
  expect_eq "the log shows the unmount line as run" 1 \
    "$(log_lines | grep -c -F -- "-> unmount the image, starting without waiting for it: $unmount")"
  expect_eq "no quoted-path warning with custom" 0 "$(log_lines | grep -c 'came in quotes')"
}

# A built-in form keeps a quoted image path as it is, and the log warns.
scenario_quoted_image_path_logged() {
  new_folder quoted_image_path_logged
  add_mount_tool "mount tool.exe"
  emulator_script "Presses=27@800"
  settings <<EOF2
[General]
MountTool=daemontools
Log=true
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
EOF2
  launch "\"$IMAGE\""
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "mount line (the quotes stay)" \
    "\"${WDIR}mount tool.exe\" -noicon -mount 0,\"\"$IMAGE\"\"" "$(mount_lines 1)"
  expect_log tolvimer_launch.log \
    '-> warning: the image path came in quotes, .* use MountTool=custom, whose \{image\} is the bare path'
}
