#!/usr/bin/env bash
# Builds the launcher, lays out a sample launcher folder (the example settings
# file, a stand-in emulator under the default name "Tolvimer_alpha_25.exe",
# the emulator's two files, a stand-in mount tool and a scripted gamepad) and
# runs the real launcher under Wine on the image "D:\Images\Some Game.cdi",
# with its run log on. Shows the plan first, then the launcher's own log of
# what it did: the settings each step read, the patched bytes, the mount
# lines, the posted commands, the key taps, how play ended and the exit code.
# Installs what it lacks first. The launcher run is the shipped 32-bit one,
# the file a user copies beside the emulator: natively where the kernel runs
# 32-bit programs, through qemu where it refuses them; where neither can run
# it, it says so in a "!!!" line and runs the 64-bit twin.
set -euo pipefail
cd "$(dirname "$0")/.."
REPO=$PWD
source scripts/packages.sh
source scripts/wine_build.sh
# A qemu rule registered for this run goes with it.
begin_command wine "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}"

echo "Building (preset $WINE_BUILD)..."
step "building the $WINE_BUILD launcher" "the compiler's lines above say what failed"
cmake --preset "$WINE_BUILD" >/dev/null
cmake --build --preset "$WINE_BUILD" -j "$(nproc)" >/dev/null

LAUNCHER_EXE=$REPO/build/$WINE_BUILD/tolvimer_launch.exe
STANDINS=$REPO/build/$WINE_BUILD/e2e
source tests/e2e/lib.sh
set +e  # from here on every step reports for itself
echo "Starting Wine (Xvfb, virtual desktop 1024x768)..."
AT_EXIT_ALSO=e2e_teardown
step "starting Wine" "the lines above say what Wine or Xvfb printed"
e2e_setup || exit 1
step "running the sample launch"

IMAGE='D:\Images\Some Game.cdi'
new_folder sample
add_mount_tool "mount tool.exe"
# The example settings file with the stand-in mount tool, a 2 s delay, a CPU
# value that shows the speed taps, and the run log on.
sed -e "s|^Exe=.*|Exe=$(sed_text "${WDIR}mount tool.exe")|" \
  -e 's/^Delay=5$/Delay=2/' -e 's/^CPU=100$/CPU=102/' -e 's/^Log=false$/Log=true/' \
  examples/tolvimer_launch.ini | settings
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
timeout "$(slow 30)" wine "$REPO/build/$WINE_BUILD/tools/plan/tolvimer_plan.exe" \
  --settings "${WDIR}tolvimer_launch.ini" "$IMAGE" </dev/null || true
echo
echo "Running: tolvimer_launch.exe $IMAGE (build/$WINE_BUILD/tolvimer_launch.exe)"
launch "$IMAGE" 30000

echo
# The sample folder outlives the run, for a closer look at the logs.
SAMPLE_KEPT=$REPO/build/$WINE_BUILD/sample-run
rm -rf "$SAMPLE_KEPT"
cp -r "$DIR" "$SAMPLE_KEPT"
echo "== What the launcher did: its run log, tolvimer_launch.log (the folder, with the"
echo "   stand-ins' own logs, is kept in $SAMPLE_KEPT)"
if [ -f "$DIR/tolvimer_launch.log" ]; then
  tr -d '\r' <"$DIR/tolvimer_launch.log"
else
  echo "  (no run log was written)"
fi
echo "Launcher exit code: $LAUNCH_CODE"
