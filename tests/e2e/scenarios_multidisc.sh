# The scenarios of games on several discs: a playlist as the image, the
# next-disc key and pad combination during play, added to those of
# scenarios.sh.

SCENARIO_ORDER+=(multidisc_swap_key multidisc_swap_pad multidisc_swap_autoplay
  multidisc_unmount_fails multidisc_empty_playlist multidisc_missing_disc)

# multidisc_folder <name> <playlist text, printf format>: a launcher folder
# with the stand-in mount tool and the playlist "My Game.m3u". Sets PLAYLIST
# (its Windows path).
multidisc_folder() {
  new_folder "$1"
  add_mount_tool "mount tool.exe"
  # shellcheck disable=SC2059
  printf "$2" >"$DIR/My Game.m3u"
  PLAYLIST="${WDIR}My Game.m3u"
}

# multidisc_settings [general line...]: [General] with those lines and
# [DaemonTools] for the stand-in tool, then the sections of stdin.
multidisc_settings() {
  {
    printf '[General]\r\nMountTool=daemontools\r\nUnmount=true\r\nLog=true\r\n'
    [ $# -gt 0 ] && printf '%s\r\n' "$@"
    printf '[DaemonTools]\r\nExe=%s\r\nDevice=0\r\n' "${WDIR}mount tool.exe"
    cat
  } | settings
}

# A two-disc playlist with relative names holding blanks, a comment line and
# CR LF; N pressed in the emulator's window swaps to disc 2, Escape ends play.
scenario_multidisc_swap_key() {
  multidisc_folder multidisc_swap_key \
    '# My Game, both discs\r\nMy Game (Disc 1).cdi\r\n\r\nMy Game (Disc 2).cdi\r\n'
  touch "$DIR/My Game (Disc 1).cdi" "$DIR/My Game (Disc 2).cdi"
  emulator_script 'Presses=78@1500 27@4500'
  multidisc_settings NextDisc=78 <<'EOF'
[My Game]
ZWrite=true
EOF
  launch "$PLAYLIST"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local tool="\"${WDIR}mount tool.exe\""
  expect_eq "mount, swap, unmount" \
    "$tool -noicon -mount 0,\"${WDIR}My Game (Disc 1).cdi\"|$tool -unmount 0|$tool -noicon -mount 0,\"${WDIR}My Game (Disc 2).cdi\"|$tool -unmount 0" \
    "$(mount_lines 4 | paste -sd'|')"
  expect_in_range "ms from the N press to disc 2's mount" 0 1200 \
    "$(ms_between emulator_log.txt 'press vk=78' mount_log.txt 'Disc 2')"
  expect_in_range "ms from the Escape press to WM_CLOSE" 0 1200 \
    "$(ms_between emulator_log.txt 'press vk=27' emulator_log.txt '^t=[0-9]+ close ')"
  expect_true "the game section [My Game] applied (ZWrite, command 32792)" \
    grep -q -E ' command id=32792' "$DIR/emulator_log.txt"
  expect_eq "the log lists both discs" 2 \
    "$(log_lines | grep -c -E -- '-> disc [12]: .*My Game \(Disc [12]\)\.cdi$')"
  expect_eq "the log shows the swap's unmount, waited for" 1 \
    "$(log_lines | grep -c -F -- "-> unmount the image, then wait for it to end: $tool -unmount 0")"
  expect_eq "the log says the unmount ended" 1 \
    "$(log_lines | grep -c -F -- 'ms for the unmount to end -- it has ended')"
  expect_eq "the log names disc 2 before its mount" 1 \
    "$(log_lines | grep -c -F -- '-> the disc to mount: disc 2 of 2')"
  expect_eq "play ends after one swap" 1 "$(log_lines | grep -c -E 'and 1 disc swap: ')"
}

# Button 3 held on the pad swaps once however long it is held; a second
# hold swaps back to disc 1.
scenario_multidisc_swap_pad() {
  multidisc_folder multidisc_swap_pad 'a.cdi\r\nb.cdi\r\n'
  emulator_script 'Presses=27@5500'
  multidisc_settings <<'EOF'
[GamePadNextDisc]
MapGamePadNextDisc=true
Button3=true
EOF
  pads_script <<'EOF'
[Pads]
Count=1
Steps=4
[Step1]
AtMs=0
[Step2]
AtMs=1000
Pad1Buttons=3
[Step3]
AtMs=2600
[Step4]
AtMs=3400
Pad1Buttons=3
EOF
  launch "$PLAYLIST"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local tool="\"${WDIR}mount tool.exe\""
  expect_eq "mount, two swaps, unmount" \
    "$tool -noicon -mount 0,\"${WDIR}a.cdi\"|$tool -unmount 0|$tool -noicon -mount 0,\"${WDIR}b.cdi\"|$tool -unmount 0|$tool -noicon -mount 0,\"${WDIR}a.cdi\"|$tool -unmount 0" \
    "$(mount_lines 6 | paste -sd'|')"
  expect_eq "the log tells the combination" 1 \
    "$(log_lines | grep -c -F -- '-> the gamepad next-disc combination: Button3')"
}

# A swap during play with Delay and CancelAutoPlay: the swap's wait makes its
# hidden window again (no "Error" box comes up over the game), leaves the
# game the foreground, and the handler registered before play answers the
# shell's query about the new disc at once; the exit key then ends play.
scenario_multidisc_swap_autoplay() {
  multidisc_folder multidisc_swap_autoplay 'a.cdi\r\nb.cdi\r\n'
  emulator_script 'Presses=78@1500 27@5000'
  multidisc_settings NextDisc=78 Delay=4 CancelAutoPlay=true Drive=K </dev/null
  background_tool autoplay-handler-waits 2 20000 "${WDIR}handler_log.txt" K
  launch "$PLAYLIST"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local tool="\"${WDIR}mount tool.exe\""
  expect_eq "mount, swap, unmount" \
    "$tool -noicon -mount 0,\"${WDIR}a.cdi\"|$tool -unmount 0|$tool -noicon -mount 0,\"${WDIR}b.cdi\"|$tool -unmount 0" \
    "$(mount_lines 4 | paste -sd'|')"
  expect_eq "the shell's two queries cancelled" 2 "$(grep -c 'answer=0x00000001 for K:' "$DIR/handler_log.txt")"
  expect_eq "one registration for the run" 1 "$(log_lines | grep -c -F -- '-> register the AutoPlay handler')"
  expect_eq "both waits ended by the handler" 2 \
    "$(log_lines | grep -c -E -- 'AutoPlay asked about K:\\ and was cancelled by the handler after [0-9]+ ms')"
  expect_eq "the foreground taken before play only" 1 \
    "$(log_lines | grep -c -F -- 'the hidden window took the foreground')"
  expect_eq "the swap's wait told as during play" 1 \
    "$(log_lines | grep -c -F -- "a disc swap's wait during play: the game keeps the foreground")"
  expect_eq "no window failed" 0 "$(log_lines | grep -c -F -- 'could not be made')"
  expect_in_range "ms from the N press to disc 2's mount" 0 1200 \
    "$(ms_between emulator_log.txt 'press vk=78' mount_log.txt 'b.cdi')"
  expect_in_range "ms from the Escape press to WM_CLOSE" 0 1200 \
    "$(ms_between emulator_log.txt 'press vk=27' emulator_log.txt '^t=[0-9]+ close ')"
  expect_eq "each answer told once" 2 \
    "$(log_lines | grep -c -F -- 'the AutoPlay handler answered a query about K:')"
  expect_eq "the count of the run" 1 \
    "$(log_lines | grep -c -F -- '-> the AutoPlay handler answered 2 queries in all, 2 of them with S_FALSE')"
  expect_eq "play ends after one swap" 1 "$(log_lines | grep -c -E 'and 1 disc swap: ')"
}

# The swap's unmount fails (exit code 3): disc 1 stays mounted, disc 2 is
# not mounted over it, the log says why, and the end unmounts disc 1.
scenario_multidisc_unmount_fails() {
  multidisc_folder multidisc_unmount_fails 'a.cdi\r\nb.cdi\r\n'
  printf '[Fail]\r\nWhen=-unmount\r\nExitCode=3\r\n' >"$DIR/disc_plan.ini"
  emulator_script 'Presses=78@1500 27@3500'
  multidisc_settings NextDisc=78 Recover=true </dev/null
  launch "$PLAYLIST"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  local tool="\"${WDIR}mount tool.exe\""
  expect_eq "mount, the failed swap unmount, the end's unmount: no second mount" \
    "$tool -noicon -mount 0,\"${WDIR}a.cdi\"|$tool -unmount 0|$tool -unmount 0" \
    "$(mount_lines 3 | paste -sd'|')"
  expect_eq "the log tells the failure" 1 "$(log_lines | grep -c -F -- \
    "-> the unmount's exit code -- 3: the unmount failed; the disc mounted now stays")"
  expect_eq "no disc chosen by the swap" 0 "$(log_lines | grep -c -F -- 'the disc to mount: disc 2')"
  expect_eq "play ends with the swap refused" 1 \
    "$(log_lines | grep -c -F -- '(1 swap asked for left the disc as it was)')"
}

# A playlist without a disc: nothing is mounted, the emulator runs, the log
# says why.
scenario_multidisc_empty_playlist() {
  multidisc_folder multidisc_empty_playlist '# no disc yet\r\n\r\n'
  emulator_script 'Presses=27@800'
  multidisc_settings </dev/null
  launch "$PLAYLIST"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  sleep 0.5
  expect_eq "mount tool runs" 0 "$(mount_runs)"
  expect_log emulator_log.txt 'end reason=close'
  expect_eq "the log says why" 1 \
    "$(log_lines | grep -c -F -- 'read the playlist -- it names no disc: no disc is mounted')"
}

# A disc that is not there is mounted all the same (the tool says so); a
# playlist that is not there mounts nothing and the log gives the error.
scenario_multidisc_missing_disc() {
  multidisc_folder multidisc_missing_disc 'here.cdi\nnot here.cdi\n'
  touch "$DIR/here.cdi"
  emulator_script 'Presses=27@800'
  multidisc_settings </dev/null
  launch "${WDIR}missing.m3u"
  expect_eq "exit code, missing playlist" 1 "$LAUNCH_CODE"
  sleep 0.5
  expect_eq "mount tool runs, missing playlist" 0 "$(mount_runs)"
  expect_eq "the log gives the error" 1 \
    "$(log_lines | grep -c -E -- 'read the playlist -- failed: error 2 .*: no disc is mounted$')"
  emulator_script 'Presses=78@600 27@2500'
  multidisc_settings NextDisc=78 </dev/null
  launch "$PLAYLIST"
  expect_eq "exit code" 1 "$LAUNCH_CODE"
  expect_eq "the missing disc is mounted by its name" \
    "\"${WDIR}mount tool.exe\" -noicon -mount 0,\"${WDIR}not here.cdi\"" \
    "$(mount_lines 3 | sed -n 3p)"
}
