#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests (plain and
# under AddressSanitizer and UndefinedBehaviorSanitizer), the fuzz targets,
# both Windows builds warning-free, the check that the shipped launcher
# imports only Windows' own DLLs, the platform contract under Wine (both
# builds), the release archive, and the shipped 32-bit launcher under Wine:
# the settings-read differential table, the end-to-end scenarios and the
# bad-input table. The 64-bit twin then runs the end-to-end scenarios that
# depend on the width of pointers and handles.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/wine_build.sh
bash scripts/ensure_packages.sh "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}" \
  "${BADINPUT_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
choose_wine_build
# The note on a missing 32-bit Wine is repeated last, whatever the outcome.
trap '[ -z "$WINE32_MISSING" ] || echo "$WINE32_MISSING"' EXIT
# One Wine prefix template for every run under Wine, made once.
export E2E_PREFIX_TEMPLATE=$PWD/build/wineprefix-template

jobs=$(nproc)
for preset in native native-asan mingw-i686 mingw-x86_64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

for preset in native native-asan; do
  echo "== unit tests and the platform contract over the fake ($preset)"
  ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz targets (10 s each)"
bash scripts/fuzz.sh

echo "== imports of the shipped launcher"
bash scripts/check_imports.sh build/mingw-i686/tolvimer_launch.exe

contract_builds=(mingw-x86_64)
[ "$WINE_BUILD" = mingw-i686 ] && contract_builds=(mingw-i686 mingw-x86_64)
for preset in "${contract_builds[@]}"; do
  echo "== platform contract under Wine over the Win32 platform ($preset)"
  bash tests/contract/run_contract.sh "build/$preset/tests/contract/platform_contract.exe" \
    "build/$preset/e2e" --gtest_brief=1
done

echo "== release archive ($WINE_BUILD): contents, version information and manifest," \
  "the unpacked launcher under Wine"
cmake --build --preset "$WINE_BUILD" --target package >/dev/null
bash tests/package/check_package.sh "build/$WINE_BUILD"

echo "== settings reads under Wine against the project's reader" \
  "(the differential table, then random files; $WINE_BUILD)"
bash tests/profile_cases/wine_check.sh "build/$WINE_BUILD/tests/profile_cases/profile_probe.exe" \
  "build/$WINE_BUILD/tests/profile_cases/wine" \
  --plan "build/$WINE_BUILD/tools/plan/tolvimer_plan.exe"

echo "== end to end under Wine (the $WINE_BUILD launcher with its stand-ins)"
bash tests/e2e/run_e2e.sh "build/$WINE_BUILD/tolvimer_launch.exe" "build/$WINE_BUILD/e2e"

echo "== bad-input table under Wine ($WINE_BUILD)"
bash tests/badinput/run_badinput.sh "build/$WINE_BUILD/tolvimer_launch.exe" "build/$WINE_BUILD/e2e"

if [ "$WINE_BUILD" = mingw-i686 ]; then
  # The 64-bit twin passes pointers and handles of 64 bits through the same
  # code: the window search record through EnumWindows, HWND_TOPMOST and the
  # window style, DirectInput's records (their sizes differ per build).
  echo "== end to end under Wine, the scenarios that depend on pointer width (mingw-x86_64)"
  bash tests/e2e/run_e2e.sh build/mingw-x86_64/tolvimer_launch.exe build/mingw-x86_64/e2e \
    typical_run pad_combination force_full_takeover
fi
