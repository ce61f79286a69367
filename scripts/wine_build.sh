# Which Windows build runs under Wine, decided by running a 32-bit program,
# and the start and end every command shares; sourced by scripts/test.sh,
# scripts/run.sh and scripts/bench.sh after scripts/packages.sh.
#
# TOLVIMER_WINE32 asks for one way (default auto):
#   native    the shipped i686 launcher runs the whole suite, as where the
#             kernel runs 32-bit programs (through qemu where it does not,
#             with qemu-user 9 or later and Wine's 32-bit preloader: about
#             half a second per start)
#   emulated  the 64-bit twin runs the whole suite and the i686 launcher the
#             scenarios where 32 and 64 bits can differ
#   twin      the 64-bit twin only; 32-bit Wine is neither installed nor used
#   auto      native where the kernel or qemu runs 32-bit programs, twin
#             where nothing can
#
# choose_wine_build [auto-fallback] sets:
#   WINE32_WAY   native, emulated or twin: the way taken
#   WINE_BUILD   the build that runs the whole suite
#   WINE32_NOTE  the "!!!" line telling what the shipped launcher did not run,
#                empty when it ran everything; printed here, and by the
#                caller again at its end
# With auto-fallback (the benchmarks of scripts/bench.sh), auto takes twin
# where the kernel runs no 32-bit programs: emulated times say nothing of
# the launcher's.
source scripts/i386_programs.sh

WINE32_WAY=native
WINE_BUILD=mingw-i686
# What each launch of the shipped launcher may take more to start where it
# runs through qemu (see E2E_SLOW_START_MS in tests/e2e/lib.sh).
EMULATED_START_MS=20000
WINE32_NOTE=''

# Debian's `wine` picks the 32-bit loader whenever wine32 is installed, for
# 64-bit programs too. Where that loader cannot run, or runs emulated, a
# folder first on PATH makes `wine` the 64-bit loader, which still hands a
# 32-bit program to the 32-bit loader when one is started.
use_64_bit_wine_loader() {
  local folder=$PWD/build/wine64-loader name
  mkdir -p "$folder"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
      >"$folder/$name"
    chmod +x "$folder/$name"
  done
  export PATH="$folder:$PATH"
}

choose_wine_build() {
  local asked=${TOLVIMER_WINE32:-auto}
  case $asked in
    auto | native | emulated | twin) ;;
    *)
      echo "TOLVIMER_WINE32=$asked: not one of auto, native, emulated, twin" >&2
      return 1
      ;;
  esac
  probe_i386_programs
  local way=$asked
  if [ "$asked" = auto ]; then
    case $I386_RUNS in
      native | emulated) way=native ;;
      none) way=twin ;;
    esac
    [ "${1:-}" = auto-fallback ] && [ "$I386_RUNS" = emulated ] && way=twin
  fi
  if [ "$way" != twin ] && [ "$I386_RUNS" = none ]; then
    echo "TOLVIMER_WINE32=$asked cannot be had: $I386_WHY; the 64-bit twin runs instead"
    way=twin
  fi
  WINE32_WAY=$way
  WINE32_NOTE=''
  local output
  if [ "$way" != twin ]; then
    local packages=("${WINE32_PACKAGES[@]}")
    # Through qemu, Wine without its preloader reserves the 32-bit address
    # space in tens of thousands of mmap calls: about 50 s per start, 0.5 s
    # with it.
    [ "$I386_RUNS" = emulated ] && packages+=("${WINE32_EMULATED_PACKAGES[@]}")
    if ! output=$(bash scripts/ensure_packages.sh "${packages[@]}" 2>&1); then
      WINE32_NOTE="32-bit Wine (${packages[*]}) could not be installed ($(tail -n 1 <<<"$output"))"
      way=twin
      WINE32_WAY=twin
    else
      [ -z "$output" ] || echo "$output"
    fi
  fi
  [ "$I386_RUNS" = native ] || use_64_bit_wine_loader
  # A prefix made where the 32-bit loader could run holds its 32-bit half.
  local loader=absent
  [ -x /usr/lib/wine/wine ] && loader=installed
  export E2E_PREFIX_FLAVOUR="32-bit loader $loader, 32-bit programs $I386_RUNS"

  local why=${I386_WHY:-the kernel runs 32-bit programs}
  [ "$asked" = auto ] || why="TOLVIMER_WINE32=$asked asked for it; $why"
  case $WINE32_WAY in
    native)
      WINE_BUILD=mingw-i686
      # Slow where the launcher runs emulated: every scenario waits for it.
      if [ "$I386_RUNS" = emulated ]; then
        export E2E_SLOW_START_MS=${E2E_SLOW_START_MS:-$EMULATED_START_MS}
      fi
      ;;
    emulated)
      WINE_BUILD=mingw-x86_64
      WINE32_NOTE="!!! the shipped 32-bit launcher ran only the scenarios where 32 and 64 bits"
      WINE32_NOTE+=" can differ ($why); the 64-bit twin ran the whole suite"
      ;;
    twin)
      WINE_BUILD=mingw-x86_64
      [ -n "$WINE32_NOTE" ] && why=$WINE32_NOTE
      WINE32_NOTE="!!! the shipped 32-bit launcher was NOT run end to end ($why);"
      WINE32_NOTE+=" the 64-bit twin ran instead"
      ;;
  esac
  case $WINE32_WAY in
    native) echo "Under Wine: the shipped mingw-i686 launcher runs everything ($why)" ;;
    emulated) echo "Under Wine: the 64-bit twin runs everything, the shipped launcher the chosen scenarios" ;;
    twin) echo "Under Wine: the 64-bit twin only" ;;
  esac
  [ -z "$WINE32_NOTE" ] || echo "$WINE32_NOTE"
}

# What the command is doing now and what to do when that fails: the line that
# ends a command that stopped early says both.
STEP=''
STEP_HINT=''
COMMAND_NAME=${0##*/}
# More to do at the end of the command (a Wine session to tear down, say).
AT_EXIT_ALSO=''

step() {  # step WHAT [WHAT TO DO WHEN IT FAILS]
  STEP=$1
  STEP_HINT=${2:-the lines above say what failed}
}

# A step announced as "== WHAT".
stage() {
  echo "== $1"
  step "$@"
}

# Whatever ends the command (its end, a failure, Ctrl-C), the machine is put
# back as it was found: this run's qemu rule and the backports source go.
end_of_command() {
  local status=$1
  trap - EXIT INT TERM HUP
  [ -z "$AT_EXIT_ALSO" ] || eval "$AT_EXIT_ALSO" || true
  remove_qemu_i386_rule
  remove_backports_source
  if [ "$status" -ne 0 ]; then
    echo "$COMMAND_NAME stopped (exit status $status) in \"${STEP:-its start}\": ${STEP_HINT:-the lines above say what failed}"
  fi
  [ -z "$WINE32_NOTE" ] || echo "$WINE32_NOTE"
  exit "$status"
}

# The start every command shares, the traps set before anything is installed
# or registered:
#   begin_command wine|auto-fallback|none PACKAGE...
# installs the packages and, but for none, chooses the Wine build.
begin_command() {
  local wine=$1
  shift
  trap 'end_of_command $?' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
  step "installing the packages it needs" \
    "check that apt-get can reach Debian's mirrors (apt-get update), then run it again"
  bash scripts/ensure_packages.sh "$@"
  [ "$wine" = none ] && return 0
  step "choosing the Wine build" \
    "the lines above say what failed; TOLVIMER_WINE32=twin runs the 64-bit build alone, without 32-bit Wine"
  local fallback=''
  [ "$wine" = auto-fallback ] && fallback=auto-fallback
  choose_wine_build $fallback
}
