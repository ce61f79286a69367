#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests (plain and
# under AddressSanitizer and UndefinedBehaviorSanitizer), the fuzz targets,
# both Windows builds warning-free, the check that the shipped launcher
# imports only Windows' own DLLs, the platform contract under Wine, the
# release archive, the settings-read differential table, the end-to-end
# scenarios and the bad-input table.
#
# Which launcher runs them is decided by running a 32-bit program (see
# scripts/wine_build.sh): where the kernel or qemu runs it, the shipped 32-bit
# launcher runs everything and the 64-bit twin the scenarios that depend on
# the width of pointers and handles; where nothing runs it, the twin alone,
# with a "!!!" line first and last.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/wine_build.sh
# The note on what the shipped launcher did not run is repeated last,
# whatever the outcome; a qemu rule registered for this run goes with it.
begin_command wine "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}" \
  "${BADINPUT_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" "${EDITOR_PACKAGES[@]}"

stage "the scripts' choice of the Wine build, simulated on every kind of machine"
bash tests/scripts/wine_choice_test.sh
# One Wine prefix template for every run under Wine, made once.
export E2E_PREFIX_TEMPLATE=$PWD/build/wineprefix-template

jobs=$(nproc)
for preset in native native-asan mingw-i686 mingw-x86_64; do
  stage "build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

for preset in native native-asan; do
  stage "unit tests and the platform contract over the fake ($preset)"
  ctest --preset "$preset" -j "$jobs"
done

stage "fuzz targets (10 s each)"
bash scripts/fuzz.sh

stage "imports of the shipped launcher"
bash scripts/check_imports.sh build/mingw-i686/tolvimer_launch.exe
# (its size, under 200 KiB, is checked on the file in the release archive)
stage "imports of the shipped settings editor"
bash scripts/check_imports.sh build/mingw-i686/settings_editor/tolvimer_settings.exe comctl32,comdlg32

contract_builds=(mingw-x86_64)
[ "$WINE32_WAY" = native ] && contract_builds=(mingw-i686 mingw-x86_64)
for preset in "${contract_builds[@]}"; do
  stage "platform contract under Wine over the Win32 platform ($preset)"
  bash tests/contract/run_contract.sh "build/$preset/tests/contract/platform_contract.exe" \
    "build/$preset/e2e" --gtest_brief=1
done

# The twin's stand-ins with the 32-bit DirectInput stand-in, which loads
# into the shipped launcher: through qemu, only the launcher is emulated.
I686_STANDINS=build/mingw-x86_64/e2e-with-i686-dinput
rm -rf "$I686_STANDINS"
mkdir -p "$I686_STANDINS"
cp build/mingw-x86_64/e2e/*.exe "$I686_STANDINS/"
cp build/mingw-i686/e2e/dinput.dll "$I686_STANDINS/"
X64_PROBE=build/mingw-x86_64/tests/package/version_probe.exe

stage "release archives: contents, version information and manifest, the unpacked launcher"
cmake --build --preset mingw-i686 --target package >/dev/null
cmake --build --preset mingw-x86_64 --target package >/dev/null
# Where the shipped launcher runs through qemu, the stand-ins it starts are
# the twin's: only the launcher itself is emulated.
through_qemu=false
[ "$WINE32_WAY:$I386_RUNS" = native:emulated ] && through_qemu=true
STANDINS=build/$WINE_BUILD/e2e
$through_qemu && STANDINS=$I686_STANDINS
case $WINE32_WAY in
  native) bash tests/package/check_package.sh build/mingw-i686 --standins "$STANDINS" ;;
  emulated)
    E2E_SLOW_START_MS=$EMULATED_START_MS bash tests/package/check_package.sh build/mingw-i686 \
      --probe "$X64_PROBE" --standins "$I686_STANDINS"
    bash tests/package/check_package.sh build/mingw-x86_64
    ;;
  twin)
    bash tests/package/check_package.sh build/mingw-i686 --probe "$X64_PROBE" --no-run
    bash tests/package/check_package.sh build/mingw-x86_64
    ;;
esac

stage "settings reads under Wine against the project's reader (the differential table, then random files; $WINE_BUILD)"
bash tests/profile_cases/wine_check.sh "build/$WINE_BUILD/tests/profile_cases/profile_probe.exe" \
  "build/$WINE_BUILD/tests/profile_cases/wine" \
  --plan "build/$WINE_BUILD/tools/plan/tolvimer_plan.exe"

stage "end to end under Wine (the $WINE_BUILD launcher with its stand-ins)"
# Through qemu a 32-bit Wine program has now and then failed with no fault of
# the launcher's (the README counts them): there a scenario or the bad-input
# table that fails is run once more, and the line below and the !!! line say
# which. Anywhere else a failure is final.
run_again_through_qemu() {  # run_again_through_qemu <what> <command...>
  $through_qemu || return 1
  echo "!!! $1 failed through qemu; run once more"
  if [ -z "$WINE32_NOTE" ]; then
    WINE32_NOTE="!!! the shipped 32-bit launcher ran everything through qemu; a second try was needed for: $1"
  else
    WINE32_NOTE+="; a second try through qemu was needed for: $1"
  fi
  "${@:2}"
}
e2e_output=build/e2e-output.txt
if ! bash tests/e2e/run_e2e.sh "build/$WINE_BUILD/tolvimer_launch.exe" \
  "$STANDINS" | tee "$e2e_output"; then
  mapfile -t failed < <(sed -n 's/^FAIL \([a-z0-9_]*\) .*/\1/p' "$e2e_output")
  [ ${#failed[@]} -gt 0 ] || exit 1  # the suite could not run at all
  run_again_through_qemu "${failed[*]}" \
    bash tests/e2e/run_e2e.sh "build/$WINE_BUILD/tolvimer_launch.exe" "$STANDINS" "${failed[@]}"
fi

stage "bad-input table under Wine ($WINE_BUILD)"
bash tests/badinput/run_badinput.sh "build/$WINE_BUILD/tolvimer_launch.exe" "$STANDINS" ||
  run_again_through_qemu "the bad-input table" \
    bash tests/badinput/run_badinput.sh "build/$WINE_BUILD/tolvimer_launch.exe" "$STANDINS"

# The settings editor, a step of its own: its window driven through its
# controls. The 64-bit twin runs it wherever Wine runs (its code is the
# shipped one's; the shipped one's imports and size are checked above). The
# picture of its window it takes is the README's (docs/settings_editor.png).
stage "settings editor end to end under Wine (mingw-x86_64)"
bash tests/e2e/run_settings_editor.sh build/mingw-x86_64/settings_editor/tolvimer_settings.exe \
  build/mingw-x86_64/tools/plan/tolvimer_plan.exe build/mingw-x86_64/tolvimer_launch.exe \
  build/mingw-x86_64/e2e build/settings_editor.png
if [ "$WINE32_WAY:$I386_RUNS" = native:native ]; then
  # Where the kernel runs 32-bit programs, the shipped editor too, with the
  # 32-bit driver (it reads the editor's list cells in the editor's memory).
  stage "settings editor end to end under Wine (the shipped mingw-i686 editor)"
  bash tests/e2e/run_settings_editor.sh build/mingw-i686/settings_editor/tolvimer_settings.exe \
    build/mingw-i686/tools/plan/tolvimer_plan.exe build/mingw-i686/tolvimer_launch.exe \
    build/mingw-i686/e2e
fi

case $WINE32_WAY in
  native)
    # The 64-bit twin passes pointers and handles of 64 bits through the same
    # code: the window search record through EnumWindows, HWND_TOPMOST and the
    # window style, DirectInput's records (their sizes differ per build).
    stage "end to end under Wine, the scenarios that depend on pointer width (mingw-x86_64)"
    E2E_SLOW_START_MS=0 bash tests/e2e/run_e2e.sh build/mingw-x86_64/tolvimer_launch.exe \
      build/mingw-x86_64/e2e typical_run pad_combination force_full_takeover
    ;;
  emulated)
    # Where 32 and 64 bits can differ: records and handles passed through
    # Windows (the window search, DirectInput's records with the stand-in
    # pads, the takeover's HWND_TOPMOST and style, the AutoPlay window's
    # message id and class, the run log's file calls).
    stage "end to end under Wine, the shipped mingw-i686 launcher through qemu, the scenarios where 32 and 64 bits can differ"
    E2E_SLOW_START_MS=$EMULATED_START_MS bash tests/e2e/run_e2e.sh build/mingw-i686/tolvimer_launch.exe \
      "$I686_STANDINS" typical_run pad_combination force_full_takeover autoplay_query run_log
    ;;
esac
