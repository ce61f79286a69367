#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests (plain and
# under AddressSanitizer and UndefinedBehaviorSanitizer), both Windows builds
# warning-free, the check that the shipped launcher imports only Windows'
# own DLLs, the release archive, and the end-to-end scenarios of the real
# launcher under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/ensure_packages.sh "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}"

jobs=$(nproc)
for preset in native native-asan mingw-i686 mingw-x86_64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

for preset in native native-asan; do
  echo "== unit tests ($preset)"
  ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz targets (10 s each)"
bash scripts/fuzz.sh

echo "== imports of the shipped launcher"
bash scripts/check_imports.sh build/mingw-i686/tolvimer_launch.exe

echo "== release archive: contents, version information and manifest, the unpacked launcher under 32-bit Wine"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
bash scripts/ensure_packages.sh "${WINE32_PACKAGES[@]}"
cmake --build --preset mingw-i686 --target package >/dev/null
bash tests/package/check_package.sh build/mingw-i686

echo "== settings reads under Wine against the project's reader (the differential table, then random files)"
bash tests/profile_cases/wine_check.sh build/mingw-i686/tests/profile_cases/profile_probe.exe \
  build/mingw-i686/tests/profile_cases/wine --plan build/mingw-i686/tools/plan/tolvimer_plan.exe

echo "== end to end under Wine (the mingw-x86_64 launcher with the stand-ins)"
bash tests/e2e/run_e2e.sh build/mingw-x86_64/tolvimer_launch.exe build/mingw-x86_64/e2e
