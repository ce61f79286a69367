# The scenarios of [General] MountTool=custom and of the run log's words on
# the mount lines, added to those of scenarios.sh and scenarios_log.sh.

SCENARIO_ORDER+=(mount_custom mount_custom_hostile_name quoted_image_path_logged)

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

# A front end's pair of quotes around the whole path is taken off before the
# built-in form's own quotes go around it, and the log says so.
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
  expect_eq "mount line (the front end's quotes taken off)" \
    "\"${WDIR}mount tool.exe\" -noicon -mount 0,\"$IMAGE\"" "$(mount_lines 1)"
  expect_eq "the log says the quotes were taken off" 1 \
    "$(log_lines | grep -c -F -- "-> the image path came in one pair of double quotes, taken off: $IMAGE")"
  expect_no_log tolvimer_launch.log 'warning: the image path came in quotes'
}

# An image name that would end PowerShell's quotes stays one argument: its
# quotes doubled inside '...', its $ escaped inside "..."; outside quotes the
# line is not run, and the log says which character stopped it.
scenario_mount_custom_hostile_name() {
  new_folder mount_custom_hostile_name
  add_mount_tool powershell.exe
  emulator_script "Presses=27@800"
  local image="D:\\Images\\x';Start-Process calc;'\$(calc).iso"
  settings <<EOF2
[General]
MountTool=custom
Unmount=true
Log=true
[CustomMount]
Exe=${WDIR}powershell.exe
MountArgs=-Command Mount-DiskImage -ImagePath '{image}'
UnmountArgs=-Command Dismount-DiskImage -ImagePath "{image}"
EOF2
  launch "$image"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local tool="\"${WDIR}powershell.exe\" -Command"
  local mount="$tool Mount-DiskImage -ImagePath 'D:\\Images\\x'';Start-Process calc;''\$(calc).iso'"
  local unmount="$tool Dismount-DiskImage -ImagePath \"D:\\Images\\x';Start-Process calc;'\`\$(calc).iso\""
  expect_eq "mount and unmount lines as the tool received them" "$mount|$unmount" \
    "$(mount_lines 2 | paste -sd'|')"

  # The placeholder outside quotes: the mount line is refused, the unmount runs.
  sed -i 's/^MountArgs=.*/MountArgs=-Command Mount-DiskImage -ImagePath {image}/' \
    "$DIR/tolvimer_launch.ini"
  : >"$DIR/mount_log.txt"
  launch "$image"
  expect_eq "exit code with the placeholder outside quotes" 1 "$LAUNCH_CODE"
  expect_eq "only the unmount line ran" "$unmount" "$(mount_lines 1)"
  expect_log tolvimer_launch.log \
    "-> the mount command line is not run: the image path holds ''' \(byte 0x27\), which PowerShell reads as its own syntax outside quotes"
}
