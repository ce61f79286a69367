# The end-to-end scenarios, one function each, run in this order by
# run_e2e.sh. Each makes its own launcher folder and settings file, runs the
# real launcher once (or twice) and checks what the stand-ins recorded.

SCENARIO_ORDER=(
  typical_run no_settings_file empty_command_line emulator_missing window_not_found
  window_created_late several_windows exit_key pad_combination pad_failure emulator_exits
  exit_code_259 full_command_table command_table_other_words force_full_takeover
  display_switch_restore autoplay_query mount_daemontools mount_alcohol120 quoted_image_path
  file_patches patches_with_files_held patch_files_missing settings_edited_during_play
  emulator_path_with_blanks
)

IMAGE='D:\Images\Some Game.cdi'
ESCAPE_SOON='Presses=27@1500'


# The byte the pattern file holds at an offset, as two hex digits.
pattern_byte() { printf '%02x' $(($1 % 251 + 1)); }

# Events without the player's own Escape presses.
events_without_escape() { emulator_events | sed -E 's/ ?vk27[du]//g'; }

close_field() { field emulator_log.txt '^t=[0-9]+ close ' "$1"; }

# Key events that reached the emulator with the extended-key flag set: keypad
# plus, keypad minus and Enter tapped as extended keys would be other keys to
# an emulator that reads scan codes.
extended_key_events() { grep -E ' key vk=' "$DIR/emulator_log.txt" | grep -v -E ' extended=0$'; }

scenario_typical_run() {
  new_folder typical_run
  add_mount_tool "mount tool.exe"
  # The example settings file as shipped, with the mount tool's path and a
  # delay of 2 s.
  example_settings | sed -e "s|^Exe=.*|Exe=$(sed_text "${WDIR}mount tool.exe")|" \
    -e 's/^Delay=5$/Delay=2/' | settings
  pads_script <<'EOF'
[Pads]
Count=1
Steps=2
[Step1]
AtMs=0
[Step2]
AtMs=1500
Pad1Buttons=1 2 5
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  # What the emulator found in its files when it started.
  expect_eq "region byte seen by the emulator" 31 \
    "$(field emulator_log.txt 'file dc_flash.bin' bytes)"
  expect_eq "configuration seen by the emulator" 41424344654647484 \
    "$(field emulator_log.txt 'file tolvimer.cfg' bytes | cut -c1-17)"
  expect_eq "cleared bytes seen by the emulator" 0000 \
    "$(field emulator_log.txt 'file tolvimer.cfg' bytes | cut -c25-28)"
  expect_eq "mount and unmount" \
    "\"${WDIR}mount tool.exe\" -noicon -mount 0,\"$IMAGE\"|\"${WDIR}mount tool.exe\" -unmount 0" \
    "$(mount_lines 2 | paste -sd'|')"
  expect_in_range "ms from the mount to the emulator's start (Delay=2)" 1900 4000 \
    "$(ms_between mount_log.txt '-mount' emulator_log.txt '^t=[0-9]+ start ')"
  expect_eq "commands" "32785 32799 32782 32792 32778 32981" "$(emulator_events)"
  expect_in_range "ms from the pad script's start to WM_CLOSE (buttons held from 1500)" 1500 2600 \
    "$(ms_between dinput_log.txt DirectInputCreateA emulator_log.txt '^t=[0-9]+ close ')"
  expect_log dinput_log.txt 'GetDeviceState pad=1 size=80 step=1'
  expect_in_range "ms from WM_CLOSE to the unmount" 0 2000 \
    "$(ms_between emulator_log.txt '^t=[0-9]+ close ' mount_log.txt '-unmount')"
  expect_log dinput_log.txt 'Unacquire pad=1'
  expect_log dinput_log.txt 'Release pad=1 references=0'
  expect_log dinput_log.txt 'Release directinput references=0'
  expect_log emulator_log.txt 'end reason=close'
  expect_eq "the launcher's parent's inheritable handle reached the emulator" 1 \
    "$(field emulator_log.txt '^t=[0-9]+ inherited ' block)"
}

scenario_no_settings_file() {
  new_folder no_settings_file
  emulator_script "$ESCAPE_SOON"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "emulator command line" "Tolvimer_alpha_25.exe" \
    "$(sed -n 's/^t=[0-9]* cmdline //p' "$DIR/emulator_log.txt")"
  # The watch may see Escape while it is still held and close the emulator
  # before the key-up reaches it: the key-up is optional.
  expect_eq "what reached the emulator" "32785 vk27d" "$(emulator_events | sed -E 's/ vk27u$//')"
  expect_eq "changes to dc_flash.bin" "" "$(differences dc_flash.orig dc_flash.bin)"
  expect_eq "changes to tolvimer.cfg" "12:4d:00 13:4e:00" "$(differences tolvimer.orig tolvimer.cfg)"
  expect_true "no mount tool run" test ! -e "$DIR/mount_log.txt"
  expect_in_range "ms from the Escape press to WM_CLOSE" 0 1200 \
    "$(ms_between emulator_log.txt 'press vk=27' emulator_log.txt '^t=[0-9]+ close ')"
}

scenario_empty_command_line() {
  new_folder empty_command_line
  settings <<'EOF'
[General]
Region=jap
Drive=F
EOF
  local blanks
  for blanks in '' '   '; do
    launch "$blanks" 10000
    expect_eq "exit code for [$blanks]" 0 "$LAUNCH_CODE"
  done
  expect_true "no emulator started" test ! -e "$DIR/emulator_log.txt"
  expect_eq "changes to dc_flash.bin" "" "$(differences dc_flash.orig dc_flash.bin)"
  expect_eq "changes to tolvimer.cfg" "" "$(differences tolvimer.orig tolvimer.cfg)"
}

scenario_emulator_missing() {
  new_folder emulator_missing
  add_mount_tool "mount tool.exe"
  settings <<EOF
[General]
Region=jap
TolvimerExe=no_such_emulator.exe
MountTool=daemontools
Unmount=true
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=1
EOF
  launch "$IMAGE" 10000
  expect_eq "exit code" 0 "$LAUNCH_CODE"
  expect_in_range "seconds the launcher took (no message box waits)" 0 "$(slow 4)" "$LAUNCH_SECONDS"
  expect_eq "mount lines (mounted, never unmounted)" \
    "\"${WDIR}mount tool.exe\" -noicon -mount 1,\"$IMAGE\"" "$(mount_lines 1)"
  expect_eq "region byte (the patch stays)" 30 "$(bytes_at dc_flash.bin 106498 1)"
}

scenario_window_not_found() {
  new_folder window_not_found
  add_mount_tool "mount tool.exe"
  emulator_script Window=never LifetimeMs=5000
  settings <<EOF
[General]
MountTool=alcohol120
Unmount=true
[Alcohol120]
Exe=${WDIR}mount tool.exe
Drive=X:
EOF
  background_tool close-box Error "$(slow_ms 20000)" "${WDIR}box_log.txt"
  launch "$IMAGE"
  expect_eq "exit code" 0 "$LAUNCH_CODE"
  expect_eq "message box text" "Window not found" \
    "$(sed -n 's/.* text=\(.*\) owner=.*/\1/p' "$DIR/box_log.txt")"
  expect_eq "message box owner" 0 "$(field box_log.txt 'box caption=Error' owner)"
  expect_eq "message box buttons" 1 "$(field box_log.txt 'box caption=Error' buttons)"
  expect_in_range "ms from the OK press to the launcher's end" 0 1500 \
    "$(ms_between box_log.txt 'box ok pressed' run_log.txt 'launch end')"
  expect_no_log emulator_log.txt 'close|end reason'
  expect_eq "mount lines (never unmounted)" "\"${WDIR}mount tool.exe\" X: /M:\"$IMAGE\"" \
    "$(mount_lines 1)"
  expect_true "the emulator kept running until its own end" \
    wait_log 10 emulator_log.txt 'end reason=lifetime'
}

scenario_window_created_late() {
  new_folder window_created_late
  emulator_script Window=late WindowDelayMs=1500 "$ESCAPE_SOON"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "command 32785 went to the main window" 1 \
    "$(field emulator_log.txt 'command id=32785' window)"
}

scenario_several_windows() {
  new_folder several_windows
  emulator_script Window=several "$ESCAPE_SOON"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "window of command 32785 (the hidden one, first in z-order)" 2 \
    "$(field emulator_log.txt 'command id=32785' window)"
  expect_eq "window sent WM_CLOSE" 2 "$(close_field window)"
}

scenario_exit_key() {
  new_folder exit_key
  emulator_script 'Presses=27@600 65@2000'
  settings <<'EOF'
[General]
Exit=65
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_in_range "ms from the A press (Exit=65) to WM_CLOSE; Escape earlier did nothing" 0 1200 \
    "$(ms_between emulator_log.txt 'press vk=65' emulator_log.txt '^t=[0-9]+ close ')"
}

scenario_pad_combination() {
  new_folder pad_combination
  emulator_script LifetimeMs=20000
  settings <<'EOF'
[GamePadExit]
MapGamePadExit=TRUE
Up=true
Right=True
Button1=false
EOF
  # Up alone (1 of 2), then Up+Right on pad 1 and Up on pad 2 (3 held: more
  # than wanted, no end), pad 2's hat at 1000 (left as it was), then pad 2
  # centred: exactly Up and Right held, which ends play.
  pads_script <<'EOF'
[Pads]
Count=2
Steps=5
[Step1]
AtMs=0
[Step2]
AtMs=600
Pad1Pov=0
[Step3]
AtMs=1400
Pad1Pov=4500
Pad2Pov=0
[Step4]
AtMs=2400
Pad1Pov=4500
Pad2Pov=1000
[Step5]
AtMs=3400
Pad1Pov=4500
Pad2Pov=0xFFFFFFFF
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_in_range "ms from the pad script's start to WM_CLOSE (combination met at 3400)" 3400 \
    4500 "$(ms_between dinput_log.txt DirectInputCreateA emulator_log.txt '^t=[0-9]+ close ')"
  local step
  for step in 2 3 4; do expect_log dinput_log.txt "GetDeviceState pad=2 size=80 step=$step"; done
  # The preparation of each pad, in order.
  local calls
  calls=$(sed -E 's/^t=[0-9]+ //' "$DIR/dinput_log.txt" | grep -v -E '^GetDeviceState|^offered')
  expect_eq "DirectInput calls" "$(
    cat <<'EOF'
DirectInputCreateA instance=1 version=0x500 outer=0 errormode=0x0
EnumDevices type=4 flags=1
CreateDevice pad=1 outer=0
QueryInterface pad=1 device2=1
Release pad=1 references=1
SetCooperativeLevel pad=1 desktop=1 flags=10
SetDataFormat pad=1 sizes=1 objects=44 flags=1 data=80
SetProperty pad=1 range=1 size=24 header=16 obj=0 how=1 min=-255 max=255
SetProperty pad=1 range=1 size=24 header=16 obj=4 how=1 min=-255 max=255
Acquire pad=1
Poll pad=1
CreateDevice pad=2 outer=0
QueryInterface pad=2 device2=1
Release pad=2 references=1
SetCooperativeLevel pad=2 desktop=1 flags=10
SetDataFormat pad=2 sizes=1 objects=44 flags=1 data=80
SetProperty pad=2 range=1 size=24 header=16 obj=0 how=1 min=-255 max=255
SetProperty pad=2 range=1 size=24 header=16 obj=4 how=1 min=-255 max=255
Acquire pad=2
Poll pad=2
Unacquire pad=1
Release pad=1 references=0
Unacquire pad=2
Release pad=2 references=0
Release directinput references=0
EOF
  )" "$calls"
}

scenario_pad_failure() {
  new_folder pad_failure
  emulator_script "Presses=27@2000"
  settings <<'EOF'
[GamePadExit]
MapGamePadExit=true
Button1=true
EOF
  # Button 1 is held from the start, but the pad cannot be acquired: the
  # combination is off and only the exit key ends play.
  pads_script <<'EOF'
[Pads]
Count=1
FailCall=Acquire
FailAt=1
Steps=1
[Step1]
AtMs=0
Pad1Buttons=1
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log dinput_log.txt 'Acquire pad=1'
  expect_no_log dinput_log.txt 'Poll pad=1'
  expect_in_range "ms from the Escape press to WM_CLOSE" 0 1200 \
    "$(ms_between emulator_log.txt 'press vk=27' emulator_log.txt '^t=[0-9]+ close ')"
  expect_log dinput_log.txt 'Release pad=1 references=0'
  expect_log dinput_log.txt 'Release directinput references=0'
}

scenario_emulator_exits() {
  new_folder emulator_exits
  emulator_script ExitAfterMs=1000 ExitCode=3
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log emulator_log.txt 'end reason=self code=3'
  expect_no_log emulator_log.txt '^t=[0-9]+ close '
  expect_in_range "ms from the emulator's end to the launcher's" 0 800 \
    "$(ms_between emulator_log.txt 'end reason=self' run_log.txt 'launch end')"
}

scenario_exit_code_259() {
  new_folder exit_code_259
  emulator_script ExitAfterMs=300 ExitCode=259
  # The press comes well after the emulator's end, however slow the start.
  background_tool press 27 "$(slow_ms 3000)" 120 "${WDIR}press_log.txt"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log emulator_log.txt 'end reason=self code=259'
  expect_in_range "ms from the Escape press to the launcher's end" 0 1200 \
    "$(ms_between press_log.txt 'press vk=27' run_log.txt 'launch end')"
  expect_in_range "ms the launcher went on after the emulator ended with 259" 1000 "$(slow_ms 10000)" \
    "$(ms_between emulator_log.txt 'end reason=self' run_log.txt 'launch end')"
}

scenario_full_command_table() {
  new_folder full_command_table
  emulator_script "Presses=27@2000"
  settings <<'EOF'
[General]
Screen=640x480
Priority=abovenormal
ShowStats=false
FullScreen=true
[TolviEx]
LimitFPS=60
[Some Game]
Screen=800x600
ZWrite=true
ZWriteAlpha=TRUE
CapcomHack=true
CableType=pal
LimitFPS=30
IkarugaLevel2Fix=true
SCalbrPlyrSelectHack=true
SCalbr2DFix=true
SegaGTLoading=true
CPU=103
EOF
  centre_cursor
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "commands and taps in order" \
    "32785 32799 32783 32792 32793 32780 32777 32796 32981 32570 32555 vk13d vk13u 32556 32557 32801 vk107d vk107u vk107d vk107u vk107d vk107u" \
    "$(events_without_escape)"
  expect_eq "scan code of Enter" 28 "$(field emulator_log.txt 'key vk=13 ' scan)"
  expect_eq "scan code of keypad plus" 78 "$(field emulator_log.txt 'key vk=107 ' scan)"
  expect_eq "key events with the extended-key flag" "" "$(extended_key_events)"
  expect_eq "every command with word 0 and no control" "" \
    "$(grep ' command id=' "$DIR/emulator_log.txt" | grep -v 'high=0 lparam=0 window=1')"
  expect_eq "window visible at close (FullScreen hides it)" 0 "$(close_field visible)"
  expect_eq "cursor at close (parked bottom right)" "1023,767" "$(close_field cursor)"
  expect_eq "menu at close (no takeover)" 1 "$(close_field menu)"
}

scenario_command_table_other_words() {
  new_folder command_table_other_words
  emulator_script "$ESCAPE_SOON"
  settings <<'EOF'
[General]
Screen=1024X768
Priority=Normal
ShowStats=TRUE
LimitFPS=30
[TolviEx]
LimitFPS=60
[Some Game]
Screen=
ZWrite=yes
CableType=NTSC
CPU=97
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "commands and taps in order" \
    "32785 32807 32782 32778 32982 vk109d vk109u vk109d vk109u vk109d vk109u" \
    "$(events_without_escape)"
  expect_eq "scan code of keypad minus" 74 "$(field emulator_log.txt 'key vk=109 ' scan)"
  expect_eq "key events with the extended-key flag" "" "$(extended_key_events)"
}

# Style after the takeover: Wine adds WS_CLIPSIBLINGS and WS_VISIBLE to the 8
# the launcher writes.
takeover_style() {
  local style
  style=$(close_field style)
  [ -n "$style" ] && printf '0x%x' $((style & ~0x14000000))
}

scenario_force_full_takeover() {
  new_folder force_full_takeover
  emulator_script "$ESCAPE_SOON"
  settings <<'EOF'
[General]
FullScreen=true
ForceFull=true
Screen=640x480
EOF
  expect_true "desktop at 1024x768 before the run" desktop_is 1024x768
  centre_cursor
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "screen when the emulator started" 640x480 \
    "$(field emulator_log.txt '^t=[0-9]+ window ' screen)"
  expect_eq "commands" "32785 32803 32801" "$(events_without_escape)"
  expect_eq "style at close, without Wine's additions" 0x8 "$(takeover_style)"
  expect_eq "menu at close" 0 "$(close_field menu)"
  expect_eq "window rectangle at close" "0,0,640,480" "$(close_field rect)"
  expect_eq "window visible at close" 1 "$(close_field visible)"
  expect_eq "cursor at close" "639,479" "$(close_field cursor)"
  expect_eq "topmost at close (the z-order is left alone)" 0 "$(close_field topmost)"
  expect_true "desktop restored to 1024x768 after the run" desktop_is 1024x768
}

scenario_display_switch_restore() {
  new_folder display_switch_restore
  emulator_script "$ESCAPE_SOON"
  settings <<'EOF'
[General]
ForceFull=TRUE
Screen=800x600
[Some Game]
Screen=640x480
EOF
  expect_true "desktop at 1024x768 before the run" desktop_is 1024x768
  LAUNCH_TRACE=1 launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "screen when the emulator started ([General] Screen)" 800x600 \
    "$(field emulator_log.txt '^t=[0-9]+ window ' screen)"
  # The flags as passed: 0 changes the mode for this session only; the
  # restore asks for the registry's mode.
  expect_eq "ChangeDisplaySettingsA calls" "mode flags=0x0|registry flags=0x0" \
    "$(display_settings_calls)"
  expect_eq "commands (the game's Screen for the emulator)" "32785 32803" \
    "$(events_without_escape)"
  expect_eq "window rectangle at close" "0,0,800,600" "$(close_field rect)"
  expect_true "desktop restored to 1024x768 after the run" desktop_is 1024x768
}

scenario_autoplay_query() {
  new_folder autoplay_query
  emulator_script "$ESCAPE_SOON"
  settings <<'EOF'
[General]
Delay=10
EOF
  background_tool autoplay-query 1000 "$(slow_ms 20000)" "${WDIR}query_log.txt"
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_log query_log.txt 'found title=Disable Autoplay visible=0 topmost=1 popup=1'
  expect_log query_log.txt 'answer=1'
  expect_log query_log.txt 'gone=1'
  expect_in_range "ms from the query to the emulator's start (not the 10 s delay)" 0 1500 \
    "$(ms_between query_log.txt 'answer=' emulator_log.txt '^t=[0-9]+ start ')"
  expect_in_range "seconds the whole run took" 0 "$(slow 8)" "$LAUNCH_SECONDS"
}

# The emulator takes 1.5 s to handle WM_CLOSE: the launcher waits for it
# before it unmounts and ends.
scenario_mount_daemontools() {
  new_folder mount_daemontools
  add_mount_tool "mount tool.exe"
  emulator_script "Presses=27@800" CloseDelayMs=1500
  settings <<EOF
[General]
MountTool=DaemonTools
Unmount=TRUE
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "mount line" "\"${WDIR}mount tool.exe\" -noicon -mount 0,\"$IMAGE\"" \
    "$(mount_lines 2 | sed -n 1p)"
  expect_eq "unmount line" "\"${WDIR}mount tool.exe\" -unmount 0" "$(mount_lines 2 | sed -n 2p)"
  expect_eq "mount tool runs" 2 "$(mount_lines 2 | wc -l)"
  # Already there when the launcher waited for it; a launcher that did not
  # wait has ended before it, and the times below come out negative.
  wait_log 5 emulator_log.txt '^t=[0-9]+ closed'
  expect_in_range "ms from the start of WM_CLOSE to its end (the emulator's close delay)" 1500 \
    3000 "$(ms_between emulator_log.txt '^t=[0-9]+ close ' emulator_log.txt '^t=[0-9]+ closed')"
  expect_in_range "ms from the end of WM_CLOSE to the unmount" 0 2000 \
    "$(ms_between emulator_log.txt '^t=[0-9]+ closed' mount_log.txt '-unmount')"
  expect_in_range "ms from the end of WM_CLOSE to the launcher's end" 0 2000 \
    "$(ms_between emulator_log.txt '^t=[0-9]+ closed' run_log.txt 'launch end')"
}

scenario_mount_alcohol120() {
  new_folder mount_alcohol120
  add_mount_tool "mount tool.exe"
  emulator_script "Presses=27@800"
  settings <<EOF
[General]
MountTool=alcohol120
Unmount=true
[Alcohol120]
Exe=${WDIR}mount tool.exe
Device=7
Drive=X:
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "mount line" "\"${WDIR}mount tool.exe\" X: /M:\"$IMAGE\"" "$(mount_lines 2 | sed -n 1p)"
  expect_eq "unmount line" "\"${WDIR}mount tool.exe\" X: /U" "$(mount_lines 2 | sed -n 2p)"
  expect_eq "mount tool runs" 2 "$(mount_lines 2 | wc -l)"
}

scenario_quoted_image_path() {
  new_folder quoted_image_path
  add_mount_tool "mount tool.exe"
  emulator_script "Presses=27@800"
  settings <<EOF
[General]
MountTool=daemontools
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
[Some Game]
ZWrite=true
EOF
  launch "\"$IMAGE\""
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "mount line (the front end's pair of quotes taken off)" \
    "\"${WDIR}mount tool.exe\" -noicon -mount 0,\"$IMAGE\"" "$(mount_lines 1)"
  expect_eq "commands (game section Some Game)" "32785 32792" "$(events_without_escape)"
}

scenario_file_patches() {
  new_folder file_patches
  emulator_script "Presses=27@800"
  settings <<'EOF'
[General]
Region=Euro
Drive=e:\
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "changes to dc_flash.bin" "106498:$(pattern_byte 106498):32" \
    "$(differences dc_flash.orig dc_flash.bin)"
  expect_eq "changes to tolvimer.cfg" "4:45:65 12:4d:00 13:4e:00" \
    "$(differences tolvimer.orig tolvimer.cfg)"
  expect_eq "length of dc_flash.bin" 200000 "$(stat -c %s "$DIR/dc_flash.bin")"
  expect_eq "length of tolvimer.cfg" 32 "$(stat -c %s "$DIR/tolvimer.cfg")"
  expect_eq "region byte seen by the emulator" 32 \
    "$(field emulator_log.txt 'file dc_flash.bin' bytes)"
  expect_eq "configuration seen by the emulator" 41424344654647484 \
    "$(field emulator_log.txt 'file tolvimer.cfg' bytes | cut -c1-17)"
}

# Another program has both files open for writing, sharing writing only, for
# the whole launch: the launcher's own opens share writing, so the patches
# still land.
scenario_patches_with_files_held() {
  new_folder patches_with_files_held
  emulator_script "Presses=27@800"
  settings <<'EOF'
[General]
Region=usa
Drive=G
EOF
  background_tool hold-open "${WDIR}stop_holding" "${WDIR}hold_log.txt" "${WDIR}dc_flash.bin" \
    "${WDIR}tolvimer.cfg"
  wait_log 15 hold_log.txt 'held .*tolvimer\.cfg'
  expect_eq "files held open before the launch" 2 "$(grep -c '^t=[0-9]* held ' "$DIR/hold_log.txt")"
  launch "$IMAGE"
  touch "$DIR/stop_holding"
  wait_log 5 hold_log.txt released
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_in_range "ms from the emulator's start to the files' release" 0 60000 \
    "$(ms_between emulator_log.txt '^t=[0-9]+ start ' hold_log.txt released)"
  expect_eq "changes to dc_flash.bin" "106498:$(pattern_byte 106498):31" \
    "$(differences dc_flash.orig dc_flash.bin)"
  expect_eq "changes to tolvimer.cfg" "4:45:67 12:4d:00 13:4e:00" \
    "$(differences tolvimer.orig tolvimer.cfg)"
}

scenario_patch_files_missing() {
  new_folder patch_files_missing
  rm "$DIR/dc_flash.bin" "$DIR/tolvimer.cfg"
  emulator_script "Presses=27@800"
  settings <<'EOF'
[General]
Region=jap
Drive=D
EOF
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_true "dc_flash.bin not created" test ! -e "$DIR/dc_flash.bin"
  expect_true "tolvimer.cfg not created" test ! -e "$DIR/tolvimer.cfg"
  expect_log emulator_log.txt 'file dc_flash.bin missing'
}

scenario_settings_edited_during_play() {
  new_folder settings_edited_during_play
  add_mount_tool "mount tool.exe"
  emulator_script "Presses=27@3000"
  settings <<EOF
[General]
ForceFull=true
Screen=640x480
MountTool=daemontools
Unmount=true
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
[Alcohol120]
Exe=${WDIR}mount tool.exe
Drive=Y:
EOF
  launch_start "$IMAGE"
  if wait_log "$(slow 15)" emulator_log.txt 'command id=32785'; then
    sleep 0.8
    settings <<EOF
[General]
ForceFull=false
Screen=640x480
MountTool=alcohol120
Unmount=true
[DaemonTools]
Exe=${WDIR}mount tool.exe
Device=0
[Alcohol120]
Exe=${WDIR}mount tool.exe
Drive=Y:
EOF
  else
    fail "the emulator got no command"
  fi
  launch_wait
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "window rectangle at close (taken over before the edit)" "0,0,640,480" \
    "$(close_field rect)"
  expect_eq "mount, then the unmount of the edited settings" \
    "\"${WDIR}mount tool.exe\" -noicon -mount 0,\"$IMAGE\"|\"${WDIR}mount tool.exe\" Y: /U" \
    "$(mount_lines 2 | paste -sd'|')"
  expect_true "desktop left at 640x480 (ForceFull no longer true)" desktop_is 640x480
  restore_desktop
  expect_true "desktop back at 1024x768 after the test's own restore" desktop_is 1024x768
}

scenario_emulator_path_with_blanks() {
  new_folder emulator_path_with_blanks
  # The emulator in "Program Files\Emu" below the launcher's folder, and a
  # "Program.exe" in the folder itself: an unquoted command line would start
  # that one, as Windows tries the text up to each blank in turn.
  local emu="$DIR/Program Files/Emu"
  mkdir -p "$emu"
  mv "$DIR/Tolvimer_alpha_25.exe" "$emu/"
  printf '[Emulator]\nPresses=27@800\n' >"$emu/emulator_script.ini"
  cp "$STANDINS/stand_in_emulator.exe" "$DIR/Program.exe"
  # The example file's line for such a path, moved to this folder.
  local line
  line=$(sed -n 's/^; *TolvimerExe=//p' "$REPO/examples/tolvimer_launch.ini" | tr -d '\r')
  expect_eq "the example's emulator path with blanks" \
    '""C:\Program Files\Emu\Tolvimer_alpha_25.exe""' "$line"
  printf '[General]\nTolvimerExe=%s\n' "${line//'C:\'/"$WDIR"}" | settings
  launch "$IMAGE"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "emulator command line (quoted)" \
    "\"${WDIR}Program Files\\Emu\\Tolvimer_alpha_25.exe\"" \
    "$(sed -n 's/^t=[0-9]* cmdline //p' "$emu/emulator_log.txt" 2>/dev/null | tr -d '\r')"
  expect_log "Program Files/Emu/emulator_log.txt" 'end reason=close'
  expect_true "Program.exe not started" test ! -e "$DIR/emulator_log.txt"
}
