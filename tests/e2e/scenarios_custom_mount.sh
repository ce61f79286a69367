# The scenarios of [General] MountTool=custom and of the run log's words on
# the mount lines, added to those of scenarios.sh and scenarios_log.sh.

SCENARIO_ORDER+=(mount_custom mount_custom_hostile_name mount_custom_program_arguments
  mount_custom_disc_swap quoted_image_path_logged)

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

# The example file's PowerShell lines with a name that would end any quotes
# and run code in PowerShell or cmd.exe: a stand-in powershell.exe finds the
# name in TOLVIMER_IMAGE, never in its script, and mounts exactly that file.
# The old form with '{image}' in the script is not run, and the log says what
# to write instead.
scenario_mount_custom_hostile_name() {
  new_folder mount_custom_hostile_name
  cp "$STANDINS/stand_in_powershell.exe" "$DIR/powershell.exe"
  emulator_script "Presses=27@800"
  local name="x';Start-Process calc;'\$(calc) \`y\` 100%PATH% !x! & ^(1)  two.iso"
  mkdir -p "$DIR/Images"
  : >"$DIR/Images/$name"
  local image="${WDIR}Images\\$name"
  example_settings | sed -e 's/^MountTool=daemontools$/MountTool=custom/' \
    -e "s|^Exe=.*|Exe=$(sed_text "${WDIR}powershell.exe")|" -e 's/^Delay=5$/Delay=1/' \
    -e 's/^Log=false$/Log=true/' -e 's/^Recover=true$/Recover=false/' \
    -e 's/^WaitForDisc=true$/WaitForDisc=false/' -e 's/^CancelAutoPlay=true$/CancelAutoPlay=false/' |
    settings
  # A front end's quotes, and a blank after them.
  launch "\"$image\" "
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local tool="\"${WDIR}powershell.exe\" -NoProfile -NonInteractive -WindowStyle Hidden -Command"
  local mount="$tool Mount-DiskImage -ImagePath \$env:TOLVIMER_IMAGE"
  local unmount="$tool Dismount-DiskImage -ImagePath \$env:TOLVIMER_IMAGE"
  expect_eq "mount and unmount lines as the tool received them" "$mount|$unmount" \
    "$(mount_lines 2 | paste -sd'|')"
  local records
  records=$(sed -E 's/^t=[0-9]+ //' "$DIR/mount_log.txt" | grep -v -E '^(cmdline|argv) ' |
    paste -sd'|')
  expect_eq "what the stand-in PowerShell read and did" \
    "env TOLVIMER_IMAGE=$image|env TOLVIMER_DRIVE=E:|script Mount-DiskImage -ImagePath \$env:TOLVIMER_IMAGE|mounted $image|env TOLVIMER_IMAGE=$image|env TOLVIMER_DRIVE=E:|script Dismount-DiskImage -ImagePath \$env:TOLVIMER_IMAGE|unmounted $image" \
    "$records"
  expect_eq "the log says the front end's quotes came off" 1 \
    "$(log_lines | grep -c -F -- "-> the image path came in one pair of double quotes, taken off: $image")"
  expect_eq "the log tells the tool's environment" 2 \
    "$(log_lines | grep -c -F -- "-> in the tool's environment, beside the launcher's own: TOLVIMER_IMAGE = $image, TOLVIMER_DRIVE = E:")"

  # The old form, the name inside the script's quotes: never run.
  sed -i "s/^MountArgs=.*/MountArgs=-NoProfile -Command Mount-DiskImage -ImagePath '{image}'/" \
    "$DIR/tolvimer_launch.ini"
  : >"$DIR/mount_log.txt"
  launch "\"$image\""
  expect_eq "exit code with {image} in the script" 1 "$LAUNCH_CODE"
  expect_eq "only the unmount line ran" "$unmount" "$(mount_lines 1)"
  expect_eq "the log says what to write instead" 1 \
    "$(log_lines | grep -c -F -- "-> the mount command line is not run: {image} stands in a line that PowerShell reads as script, where a file name could run as code: write \$env:TOLVIMER_IMAGE in its place")"
}

# Any other program gets the name as exactly one argument, as its own C
# runtime splits the line: bare, in the user's quotes, after text in them,
# and after a backslash of the Args text.
scenario_mount_custom_program_arguments() {
  new_folder mount_custom_program_arguments
  cp "$STANDINS/stand_in_powershell.exe" "$DIR/mt.exe"
  emulator_script "Presses=27@800"
  local image="D:\\Images\\x';calc;'\$(calc) \`y\` 100%PATH% !x! & ^  two .iso"
  settings <<EOF2
[General]
MountTool=custom
Log=true
[CustomMount]
Exe=${WDIR}mt.exe
MountArgs=-m {image} /M:"{image}" "--path={image}" dir\\{image} -x
EOF2
  launch "$image"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  mount_lines 1 >/dev/null
  expect_eq "the program's arguments" \
    "argv 1 -m|argv 2 $image|argv 3 /M:$image|argv 4 --path=$image|argv 5 dir\\$image|argv 6 -x" \
    "$(sed -n -E 's/^t=[0-9]+ (argv .*)/\1/p' "$DIR/mount_log.txt" | paste -sd'|')"
}

# A playlist's discs with hostile names, swapped during play: each mount,
# swap unmount and unmount finds its disc in TOLVIMER_IMAGE; a disc line that
# is no Windows file name never reaches a line, and the log says so.
scenario_mount_custom_disc_swap() {
  new_folder mount_custom_disc_swap
  cp "$STANDINS/stand_in_powershell.exe" "$DIR/powershell.exe"
  local one="x';calc;'\$(y) 1.cdi" two="x&calc& %PATH% !a! 2.cdi"
  touch "$DIR/$one" "$DIR/$two"
  printf '%s\r\n' "$one" 'bad|name.cdi' "$two" >"$DIR/My Game.m3u"
  emulator_script 'Presses=78@1500 27@4500'
  example_settings | sed -e 's/^MountTool=daemontools$/MountTool=custom/' \
    -e "s|^Exe=.*|Exe=$(sed_text "${WDIR}powershell.exe")|" -e 's/^Delay=5$/Delay=1/' \
    -e 's/^Log=false$/Log=true/' -e 's/^Recover=true$/Recover=false/' \
    -e 's/^WaitForDisc=true$/WaitForDisc=false/' -e 's/^CancelAutoPlay=true$/CancelAutoPlay=false/' \
    -e 's/^;NextDisc=78$/NextDisc=78/' | settings
  launch "${WDIR}My Game.m3u"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  mount_lines 4 >/dev/null
  expect_eq "what the stand-in PowerShell did" \
    "mounted ${WDIR}$one|unmounted ${WDIR}$one|mounted ${WDIR}$two|unmounted ${WDIR}$two" \
    "$(sed -n -E 's/^t=[0-9]+ ((un)?mounted .*)/\1/p' "$DIR/mount_log.txt" | paste -sd'|')"
  expect_eq "the log says the line that is no file name was left out" 1 \
    "$(log_lines | grep -c -F -- '-> warning: 1 disc line left out: no Windows file name')"
}
