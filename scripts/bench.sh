#!/usr/bin/env bash
# Measures what the launcher costs and prints the figures:
#   1. time of a whole launch over the fake platform, and of one settings
#      read, for settings files of 1, 100 and 1,000 game sections (Google
#      Benchmark);
#   2. instructions of one whole launch for the same files (callgrind,
#      repeatable), split into the profile reader's part and the rest;
#   3. the size of the shipped i686 launcher and the DLLs it imports;
#   4. with --wine: launch overhead, exit latency and the cost while the game
#      runs, measured on the real launcher under Wine (bench/wine_figures.sh):
#      the shipped i686 one under 32-bit Wine, or, where 32-bit Wine cannot be
#      installed, the x86_64 twin (said so in one line).
# Benchmarks only: nothing here passes or fails on a time.
#
#   scripts/bench.sh [--wine [runs]]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/wine_build.sh
# With --wine, a qemu rule registered for this run goes with it.
if [ "${1:-}" = --wine ]; then
  begin_command auto-fallback "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${WINE_PACKAGES[@]}"
else
  begin_command none "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
fi
jobs=$(nproc)

echo "== build (native Release, build/bench)"
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j "$jobs" --target launch_bench launch_once >/dev/null

echo "== time: one whole launch over the fake platform, and one read of the last game section"
build/bench/bench/launch_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  2>/dev/null | grep -E '^(Benchmark|-|BM_.*_median)'

echo "== instructions of one whole launch (callgrind; collected inside RunLaunchSequence only)"
printf '%9s %4s %9s %6s %12s %12s %12s %10s %10s\n' sections log bytes reads total reader rest \
  total/read rest/read
for sections in 1 100 1000; do
  for log in off on; do
    out=build/bench/callgrind.$sections.$log
    flag=()
    [ "$log" = on ] && flag=(1 --log)
    line=$(valgrind --tool=callgrind --callgrind-out-file="$out" \
      --toggle-collect='tolvimer::RunLaunchSequence*' build/bench/bench/launch_once "$sections" \
      "${flag[@]}" 2>/dev/null)
    reads=$(sed -E 's/.*reads=([0-9]+).*/\1/' <<<"$line")
    bytes=$(sed -E 's/.*bytes=([0-9]+).*/\1/' <<<"$line")
    costs=$(callgrind_annotate --inclusive=yes "$out" 2>/dev/null | tr -d ,)
    total=$(awk '/PROGRAM TOTALS/ {print $1; exit}' <<<"$costs")
    reader=$(awk '/tolvimer::ReadProfileString\(/ {print $1; exit}' <<<"$costs")
    rest=$((total - reader))
    printf '%9d %4s %9d %6d %12d %12d %12d %10d %10d\n' "$sections" "$log" "$bytes" "$reads" \
      "$total" "$reader" "$rest" $((total / reads)) $((rest / reads))
  done
done
echo "   total: every instruction of the launch; reader: inside the profile reader;"
echo "   rest: the launch sequence itself and the fake platform's recording of each call;"
echo "   log on: the same launch with [General] Log=true (the narration and the log's lines)."

echo "== footprint of the shipped launcher (i686 Release, build/bench-mingw-i686)"
cmake -S . -B build/bench-mingw-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench-mingw-i686 -j "$jobs" --target tolvimer_launch >/dev/null
bash scripts/check_imports.sh build/bench-mingw-i686/tolvimer_launch.exe
size=$(stat -c %s build/bench-mingw-i686/tolvimer_launch.exe)
echo "  $((size / 1024)) KiB of the 100 KiB goal; every imported DLL is part of Windows itself"

if [ "${1:-}" = --wine ]; then
  arch=${WINE_BUILD#mingw-}
  echo "== under Wine ($arch Release launcher, build/bench-$WINE_BUILD)"
  cmake -S . -B "build/bench-$WINE_BUILD" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/$WINE_BUILD.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "build/bench-$WINE_BUILD" -j "$jobs" >/dev/null
  bash bench/wine_figures.sh "build/bench-$WINE_BUILD/tolvimer_launch.exe" \
    "build/bench-$WINE_BUILD/e2e" "${2:-20}"
fi
