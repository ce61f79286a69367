#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in build/fuzz and runs each one for a
# bounded time, starting from its committed seeds in fuzz/corpus/<target>.
# Fails when any target finds a fault.
#
#   scripts/fuzz.sh [seconds per target, default 10] [target...]
#
# Inputs found along the way are kept in build/fuzz/corpus/<target>, so a
# later run starts where this one stopped.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/ensure_packages.sh "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"

seconds=${1:-10}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(fuzz_game_section fuzz_leading_integer fuzz_word_test fuzz_mount_command fuzz_profile_reader
    fuzz_custom_mount fuzz_playlist)

echo "== build fuzz targets (clang, build/fuzz)"
CC=clang CXX=clang++ cmake -S fuzz -B build/fuzz -G Ninja >/dev/null
cmake --build build/fuzz -j "$(nproc)" >/dev/null

status=0
for target in "${targets[@]}"; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work"
  log=build/fuzz/$target.log
  if (cd build/fuzz && ./"$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
      -print_final_stats=1 "corpus/$target" "../../fuzz/corpus/$target") >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "  $target: clean, $runs inputs in ${seconds}s, corpus $(ls "$work" | wc -l) inputs"
  else
    echo "  $target: FAILED (log: $log)"
    grep -E 'ERROR|SUMMARY|runtime error|: ' "$log" | grep -v '^INFO' | head -n 15 | sed 's/^/    /'
    status=1
  fi
done
exit $status
