#!/usr/bin/env bash
# Builds the launcher, lays out a sample launcher folder (the example settings
# file, a stand-in emulator under the default name "Tolvimer_alpha_25.exe",
# the emulator's two files, a stand-in mount tool and a scripted gamepad) and
# runs the real launcher under Wine on the image "D:\Images\Some Game.cdi".
# Then shows what it did: patched bytes, mount lines, posted commands, key
# taps, how play ended and the exit code. Installs what it lacks first.
# The launcher run is the shipped 32-bit one, the file a user copies beside
# the emulator; where 32-bit Wine cannot be installed it says so and runs the
# 64-bit twin.
set -euo pipefail
cd "$(dirname "$0")/.."
REPO=$PWD
source scripts/packages.sh
source scripts/wine_build.sh
bash scripts/ensure_packages.sh "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}"
choose_wine_build

echo "Building (preset $WINE_BUILD)..."
cmake --preset "$WINE_BUILD" >/dev/null
cmake --build --preset "$WINE_BUILD" -j "$(nproc)" >/dev/null

LAUNCHER_EXE=$REPO/build/$WINE_BUILD/tolvimer_launch.exe
STANDINS=$REPO/build/$WINE_BUILD/e2e
source tests/e2e/lib.sh
set +e  # from here on every step reports for itself
trap e2e_teardown EXIT
echo "Starting Wine (Xvfb, virtual desktop 1024x768)..."
e2e_setup || { echo "Wine could not be started"; exit 1; }

IMAGE='D:\Images\Some Game.cdi'
new_folder sample
add_mount_tool "mount tool.exe"
# The example settings file with the stand-in mount tool, a 2 s delay and a
# CPU value that shows the speed taps.
sed -e "s|^Exe=.*|Exe=$(sed_text "${WDIR}mount tool.exe")|" \
  -e 's/^Delay=5$/Delay=2/' -e 's/^CPU=100$/CPU=102/' examples/tolvimer_launch.ini | settings
# One gamepad; the player holds buttons 1 and 2 three seconds into play.
pads_script <<'EOF'
[Pads]
Count=1
Steps=2
[Step1]
AtMs=0
[Step2]
AtMs=3000
Pad1Buttons=1 2
EOF
echo "The plan (tolvimer_plan, a dry run of the same launch: nothing is done):"
timeout 30 wine "$REPO/build/$WINE_BUILD/tools/plan/tolvimer_plan.exe" \
  --settings "${WDIR}tolvimer_launch.ini" "$IMAGE" </dev/null || true
echo
echo "Running: tolvimer_launch.exe $IMAGE (build/$WINE_BUILD/tolvimer_launch.exe)"
launch "$IMAGE" 30000
mount_lines 2 >"$DIR/mount_lines.txt" || true

# ---- The summary ------------------------------------------------------------

command_meaning() {
  case $1 in
    32785) echo "first command, always sent" ;;
    32803) echo "Screen 640x480" ;;
    32799) echo "Screen 800x600" ;;
    32807) echo "Screen 1024x768" ;;
    32808) echo "Screen 1280x1024" ;;
    32902) echo "Screen 1600x1200" ;;
    32782) echo "Priority normal" ;;
    32783) echo "Priority abovenormal" ;;
    32792) echo "ZWrite" ;;
    32793) echo "ZWriteAlpha" ;;
    32780) echo "CapcomHack" ;;
    32778) echo "CableType ntsc" ;;
    32777) echo "CableType other than ntsc" ;;
    32796) echo "ShowStats off" ;;
    32981) echo "LimitFPS 30" ;;
    32982) echo "LimitFPS 60" ;;
    32570) echo "IkarugaLevel2Fix" ;;
    32555) echo "SCalbrPlyrSelectHack (then Enter)" ;;
    32556) echo "SCalbr2DFix" ;;
    32557) echo "SegaGTLoading" ;;
    32801) echo "FullScreen" ;;
    *) echo "unknown command" ;;
  esac
}

key_name() {
  case $1 in
    13) echo "Enter" ;; 27) echo "Escape" ;; 107) echo "keypad plus" ;; 109) echo "keypad minus" ;;
    *) echo "key $1" ;;
  esac
}

patch_meaning() {  # patch_meaning <file> <offset> <new byte>
  case $1:$2 in
    dc_flash.bin:106498) echo "console region '$(printf "\\x$3")' (0 jap, 1 usa, 2 euro)" ;;
    tolvimer.cfg:4) echo "CD drive letter '$(printf "\\x$3")'" ;;
    tolvimer.cfg:12 | tolvimer.cfg:13) echo "cleared before every start" ;;
    *) echo "unexpected change" ;;
  esac
}

show_patch() {  # show_patch <file> <original>
  local change offset old new
  for change in $(differences "$2" "$1"); do
    IFS=: read -r offset old new <<<"$change"
    printf '  %-13s byte %6d (0x%05X): %s -> %s  %s\n' "$1" "$offset" "$offset" "$old" "$new" \
      "$(patch_meaning "$1" "$offset" "$new")"
  done
}

echo
# The sample folder outlives the run, for a closer look at the logs.
SAMPLE_KEPT=$REPO/build/$WINE_BUILD/sample-run
rm -rf "$SAMPLE_KEPT"
cp -r "$DIR" "$SAMPLE_KEPT"
echo "== What the launcher did (the folder, with every stand-in's log, is kept in $SAMPLE_KEPT)"
echo "Patched bytes:"
show_patch dc_flash.bin dc_flash.orig
show_patch tolvimer.cfg tolvimer.orig
echo "Mount tool command lines (the stand-in tool logs exactly what it was given):"
sed -e '1s/^/  mount:   /' -e '2s/^/  unmount: /' "$DIR/mount_lines.txt"
echo "Emulator started $(ms_between mount_log.txt ' -mount ' emulator_log.txt '^t=[0-9]+ start ') ms after the mount (Delay=2, AutoPlay held off meanwhile)," \
  "command line: $(sed -n 's/^t=[0-9]* cmdline //p' "$DIR/emulator_log.txt")"
echo "Commands posted to the emulator window, and key taps, in order:"
for event in $(emulator_events); do
  case $event in
    vk*d) printf '  tap    %s\n' "$(key_name "${event//[!0-9]/}")" ;;
    vk*u) ;;
    *) printf '  %-6s %s\n' "$event" "$(command_meaning "$event")" ;;
  esac
done
echo "How play ended:"
if grep -q 'end reason=self' "$DIR/emulator_log.txt" 2>/dev/null; then
  echo "  the emulator exited by itself"
elif grep -q 'GetDeviceState pad=1 size=80 step=2' "$DIR/dinput_log.txt" 2>/dev/null; then
  echo "  gamepad buttons 1 and 2 held (from $(($(tick dinput_log.txt 'step=2') - $(tick dinput_log.txt DirectInputCreateA))) ms);" \
    "WM_CLOSE reached the emulator $(ms_between dinput_log.txt 'step=2' emulator_log.txt '^t=[0-9]+ close ') ms later"
else
  echo "  the exit watch ended without the gamepad combination"
fi
echo "  the emulator window at WM_CLOSE: $(grep -m1 -E '^t=[0-9]+ close ' "$DIR/emulator_log.txt" | cut -d' ' -f3- || echo 'never received WM_CLOSE')"
echo "Launcher exit code: $LAUNCH_CODE"
[ -z "$WINE32_MISSING" ] || echo "$WINE32_MISSING"
