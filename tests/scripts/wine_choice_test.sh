#!/usr/bin/env bash
# The commands' choice of the Wine build, on every kind of machine, by
# simulation: the start the commands share (begin_command of
# scripts/wine_build.sh) runs under the commands' own shell options, with the
# 32-bit probe's execution, binfmt_misc, apt-get, apt-cache, dpkg and
# dpkg-query replaced by a simulated machine. Each row checks the way taken,
# the build, the packages asked for, the rules registered and those left at
# the end, the backports source, the "!!!" line and the exit status; a command
# that stops must say why in its last lines.
#
#   tests/scripts/wine_choice_test.sh [row name substring]
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
WORK=$(mktemp -d /tmp/tolvimer-wine-choice.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

# The simulated machine's commands; its state lives in $SIM.
mkdir -p "$WORK/bin"
cat >"$WORK/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$SIM/calls"
state() { grep -qx "$1" "$SIM/machine"; }
if [[ " $* " == *" update "* ]]; then
  state mirror=down && exit 100
  if [ -e "$SIM/sources/tolvimer-backports.sources" ]; then
    state backports=unreachable && exit 100
    touch "$SIM/backports_listed"
  else
    rm -f "$SIM/backports_listed"
  fi
  exit 0
fi
[[ " $* " == *" install "* ]] || exit 0
suite=main
packages=()
while [ $# -gt 0 ]; do
  case $1 in
    -t) suite=$2; shift ;;
    -*|install) ;;
    *) packages+=("$1") ;;
  esac
  shift
done
for package in "${packages[@]}"; do
  # Only qemu-user may come while the backports source is there.
  [ "$package" = qemu-user ] || [ ! -e "$SIM/sources/tolvimer-backports.sources" ] ||
    echo "$package" >>"$SIM/with_backports"
  # Ctrl-C while the package installs.
  if state "interrupt=$package"; then
    kill -INT "$DRIVER_PID"
    exit 130
  fi
  case $package in
    qemu-user)
      if [ "$suite" = bookworm-backports ]; then
        [ -e "$SIM/backports_listed" ] || exit 100
        version=10.0.2
      else
        version=7.2.19
      fi
      printf '#!/bin/sh\necho "qemu-i386 version %s (Debian)"\n' "$version" >"$SIM/qemu-i386"
      chmod +x "$SIM/qemu-i386"
      package=qemu-user@$suite
      ;;
    wine32:i386 | wine32-preloader:i386) state wine32=unavailable && exit 100 ;;
    cmake) state build_packages=fail && exit 100 ;;
  esac
  echo "$package" >>"$SIM/installs"
  echo "${package%@*}" >>"$SIM/installed"
done
EOF
cat >"$WORK/bin/apt-cache" <<'EOF'
#!/usr/bin/env bash
echo " 500 http://deb.debian.org/debian bookworm/main amd64 Packages"
[ -e "$SIM/backports_listed" ] &&
  echo " 100 http://deb.debian.org/debian bookworm-backports/main amd64 Packages"
exit 0
EOF
cat >"$WORK/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
grep -qx -- "${!#}" "$SIM/installed" || exit 1
printf 'install ok installed'
EOF
cat >"$WORK/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
case $1 in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) cat "$SIM/architectures" ;;
  --add-architecture) echo "$2" >>"$SIM/architectures" ;;
esac
EOF
chmod +x "$WORK/bin/"*

# The start of a command, as scripts/test.sh makes it, on the simulated
# machine: the scripts are sourced, then only the machine's edges replaced.
cat >"$WORK/driver.sh" <<'EOF'
set -euo pipefail
export DRIVER_PID=$$
source scripts/packages.sh
source scripts/wine_build.sh
state() { grep -qx "$1" "$SIM/machine"; }
QEMU_I386=$SIM/qemu-i386
APT_SOURCES_DIR=$SIM/sources
OS_RELEASE=$SIM/os-release
QEMU_RULE_LOCK=$SIM/lock
# The probe: the rule registered last takes a file its magic and mask match
# (not the kernel probe, whose padding byte qemu's masks pin to zero); else
# the kernel runs it, or refuses it.
i386_exec() {
  local pad interpreter
  pad=$(od -An -j9 -N1 -tu1 "$1" | tr -d ' ')
  interpreter=$(tail -n 1 "$SIM/rules" | cut -d ' ' -f 2)
  if [ "$pad" = 0 ] && [ -e "$SIM/binfmt_mounted" ] && [ -n "$interpreter" ]; then
    [ -x "$interpreter" ] || return 126
    printf 'i686\0'
    return 42
  fi
  if state kernel=runs; then
    printf '%s\0' "$(uname -m)"
    return 42
  fi
  echo "cannot execute binary file: Exec format error" >&2
  return 126
}
binfmt_ready() { [ -e "$SIM/binfmt_mounted" ]; }
binfmt_mount() {
  state binfmt=unmountable && return 1
  touch "$SIM/binfmt_mounted"
}
binfmt_register() {
  state register=refused && return 1
  local name interpreter
  name=$(cut -d : -f 2 <<<"$1")
  interpreter=$(cut -d : -f 7 <<<"$1")
  echo "$name $interpreter" >>"$SIM/rules"
  echo "$name" >>"$SIM/registered"
}
binfmt_remove() {
  grep -v "^$1 " "$SIM/rules" >"$SIM/rules.new" || true
  mv "$SIM/rules.new" "$SIM/rules"
}
binfmt_rule_exists() { grep -q "^$1 " "$SIM/rules"; }
binfmt_rule_has() { grep -qx "$1 $2" "$SIM/rules"; }

begin_command wine cmake "${WINE_PACKAGES[@]}"
echo "RESULT way=$WINE32_WAY build=$WINE_BUILD runs=$I386_RUNS"
EOF

passed=0
failed=0
failures=''
fail() { failures+="    $1"$'\n'; }

# row NAME [machine facts...] -- [expectations...]
# Facts: kernel=runs|refuses, rule=NAME:INTERPRETER (there before the run; the
# interpreter qemu means the simulated qemu), qemu=VERSION (installed),
# backports=unreachable, mirror=down, binfmt=mounted|unmountable,
# register=refused, wine32=unavailable, build_packages=fail|missing,
# interrupt=PACKAGE (Ctrl-C while apt-get installs it),
# ask=WAY (TOLVIMER_WINE32), other_run (another live run holds the rule).
# Expectations: result="way=.. build=.. runs=..", installs="...", registered,
# rules_after, bang (text of the "!!!" line, or none), status, says (a text
# the output must hold).
row() {
  local name=$1
  shift
  [ -z "${ONLY:-}" ] || [[ $name == *"$ONLY"* ]] || return 0
  SIM=$WORK/sim-$((passed + failed))
  mkdir -p "$SIM/sources" "$SIM/run/scripts"
  cp -r "$REPO/scripts/." "$SIM/run/scripts/"
  touch "$SIM/calls" "$SIM/rules" "$SIM/installs" "$SIM/registered" "$SIM/architectures"
  printf 'VERSION_CODENAME=bookworm\n' >"$SIM/os-release"
  printf '%s\n' cmake wine wine64 xvfb >"$SIM/installed"
  echo binfmt=mounted >"$SIM/machine"
  local ask=auto other_run='' expect=()
  while [ $# -gt 0 ]; do
    local fact=$1
    shift
    [ "$fact" = -- ] && { expect=("$@"); break; }
    case $fact in
      rule=*)
        local rule=${fact#rule=}
        local interpreter=${rule#*:}
        [ "$interpreter" = qemu ] && interpreter=$SIM/qemu-i386
        echo "${rule%%:*} $interpreter" >>"$SIM/rules"
        ;;
      qemu=*)
        printf '#!/bin/sh\necho "qemu-i386 version %s (Debian)"\n' "${fact#qemu=}" >"$SIM/qemu-i386"
        chmod +x "$SIM/qemu-i386"
        ;;
      binfmt=*) echo "$fact" >"$SIM/machine.binfmt" ;;
      build_packages=missing) sed -i '/^cmake$/d' "$SIM/installed" ;;
      ask=*) ask=${fact#ask=} ;;
      other_run) other_run=yes ;;
      *) echo "$fact" >>"$SIM/machine" ;;
    esac
  done
  if [ -e "$SIM/machine.binfmt" ]; then
    sed -i '/^binfmt=/d' "$SIM/machine"
    cat "$SIM/machine.binfmt" >>"$SIM/machine"
  fi
  grep -qx binfmt=mounted "$SIM/machine" && touch "$SIM/binfmt_mounted"

  local holder=''
  if [ -n "$other_run" ]; then
    flock -s "$SIM/lock" sleep 60 >/dev/null 2>&1 &
    holder=$!
    sleep 0.2
  fi
  local status=0
  (cd "$SIM/run" && SIM=$SIM PATH="$WORK/bin:$PATH" TOLVIMER_WINE32=$ask \
    timeout 60 bash "$WORK/driver.sh") >"$SIM/output" 2>&1 || status=$?
  [ -z "$holder" ] || kill "$holder" 2>/dev/null
  wait 2>/dev/null

  failures=''
  local want_status=0 bang=none key value
  for item in "${expect[@]}"; do
    key=${item%%=*}
    value=${item#*=}
    case $key in
      result) grep -qx "RESULT $value" "$SIM/output" || fail "want RESULT $value" ;;
      installs) [ "$(xargs <"$SIM/installs")" = "$value" ] ||
        fail "installs: want '$value', got '$(xargs <"$SIM/installs")'" ;;
      registered) [ "$(xargs <"$SIM/registered")" = "$value" ] ||
        fail "registered: want '$value', got '$(xargs <"$SIM/registered")'" ;;
      rules_after) [ "$(cut -d ' ' -f 1 "$SIM/rules" | xargs)" = "$value" ] ||
        fail "rules left: want '$value', got '$(cut -d ' ' -f 1 "$SIM/rules" | xargs)'" ;;
      bang) bang=$value ;;
      status) want_status=$value ;;
      says) grep -qF -- "$value" "$SIM/output" || fail "the output does not say: $value" ;;
      *) fail "unknown expectation $item" ;;
    esac
  done
  [ "$status" = "$want_status" ] || fail "exit status $status, want $want_status"
  if [ "$bang" = none ]; then
    ! grep -q '^!!!' "$SIM/output" || fail "a !!! line where none belongs: $(grep -m1 '^!!!' "$SIM/output")"
  else
    # First and last: once from the choice, once more at the end.
    [ "$(grep -cF -- "$bang" "$SIM/output")" -ge 2 ] && grep -q '^!!!' "$SIM/output" &&
      tail -n 1 "$SIM/output" | grep -q '^!!!' ||
      fail "want the !!! line ($bang) first and last"
  fi
  if [ "$status" != 0 ]; then
    grep -q "stopped (exit status $status)" "$SIM/output" ||
      fail "stopped without a line saying why"
  fi
  [ -z "$(ls "$SIM/sources")" ] || fail "an apt source is left: $(ls "$SIM/sources")"
  # The run's hold on the rule's lock ends with it.
  [ -n "$other_run" ] || flock -xn "$SIM/lock" true || fail "the rule's lock is still held"
  [ ! -e "$SIM/with_backports" ] ||
    fail "installed while the backports source was there: $(xargs <"$SIM/with_backports")"
  if [ -z "$failures" ]; then
    passed=$((passed + 1))
    echo "PASS $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name"
    printf '%s' "$failures"
    sed 's/^/      | /' "$SIM/output"
  fi
}

OWN=tolvimer-qemu-i386
NATIVE="result=way=native build=mingw-i686 runs=native"
EMULATED="result=way=native build=mingw-i686 runs=emulated"
TWIN="result=way=twin build=mingw-x86_64"
ONLY=${1:-}

row "the kernel runs 32-bit programs" kernel=runs -- \
  "$NATIVE" installs=wine32:i386 registered= rules_after= bang=none
row "it refuses them, no rule, qemu 9+ from backports (a fresh machine)" kernel=refuses -- \
  "$EMULATED" "installs=qemu-user@bookworm-backports wine32:i386 wine32-preloader:i386" \
  registered=$OWN rules_after= bang=none
row "it refuses them, binfmt_misc not yet mounted" kernel=refuses binfmt=mountable -- \
  "$EMULATED" registered=$OWN rules_after= bang=none
row "it refuses them, an old qemu's rule is there" kernel=refuses qemu=7.2.19 rule=qemu-i386:qemu -- \
  "$EMULATED" "installs=qemu-user@bookworm-backports wine32:i386 wine32-preloader:i386" \
  registered=$OWN rules_after=qemu-i386 bang=none
row "it refuses them, a new qemu's rule is there" kernel=refuses qemu=10.0.2 rule=qemu-i386:qemu -- \
  "$EMULATED" "installs=wine32:i386 wine32-preloader:i386" registered=$OWN rules_after=qemu-i386 bang=none
row "it runs them, but a rule not ours takes them" kernel=runs qemu=10.0.2 rule=qemu-i386:qemu -- \
  "$EMULATED" registered=$OWN rules_after=qemu-i386 bang=none \
  "says=the kernel runs 32-bit programs, but a qemu rule these scripts did not make takes them"
row "a rule of ours left by an interrupted run is used and taken away" kernel=refuses qemu=10.0.2 \
  rule=$OWN:qemu -- "$EMULATED" installs="wine32:i386 wine32-preloader:i386" registered= rules_after= bang=none
row "a rule of ours naming another qemu is replaced" kernel=refuses qemu=10.0.2 rule=$OWN:/usr/bin/gone -- \
  "$EMULATED" registered=$OWN rules_after= bang=none
row "a rule of ours another live run uses stays" kernel=refuses qemu=10.0.2 rule=$OWN:qemu other_run -- \
  "$EMULATED" registered= rules_after=$OWN bang=none "says=another run of these scripts still uses it"
row "it refuses them, backports cannot be reached" kernel=refuses backports=unreachable -- \
  "$TWIN runs=none" installs= registered= rules_after= \
  "bang=NOT run end to end (the kernel runs no 32-bit programs (Exec format error), and qemu cannot run them either (bookworm-backports cannot be reached"
row "it refuses them, apt-get update fails" kernel=refuses mirror=down build_packages=ok -- \
  "$TWIN runs=none" installs= registered= "bang=apt-get update failed"
row "it refuses them, binfmt_misc cannot be mounted" kernel=refuses binfmt=unmountable -- \
  "$TWIN runs=none" installs=qemu-user@bookworm-backports registered= rules_after= \
  "bang=binfmt_misc cannot be mounted here"
row "it refuses them, the registration is refused" kernel=refuses register=refused -- \
  "$TWIN runs=none" installs=qemu-user@bookworm-backports registered= rules_after= \
  "bang=binfmt_misc refused the registration of qemu-i386"
row "32-bit Wine cannot be installed" kernel=runs wine32=unavailable -- \
  "$TWIN runs=native" installs= "bang=32-bit Wine (wine32:i386) could not be installed"
row "TOLVIMER_WINE32=native where the kernel runs them" kernel=runs ask=native -- \
  "$NATIVE" installs=wine32:i386 bang=none "says=TOLVIMER_WINE32=native asked for it"
row "TOLVIMER_WINE32=native where nothing runs them" kernel=refuses backports=unreachable ask=native -- \
  "$TWIN runs=none" "says=TOLVIMER_WINE32=native cannot be had" "bang=NOT run end to end"
row "TOLVIMER_WINE32=emulated where qemu runs them" kernel=refuses ask=emulated -- \
  "result=way=emulated build=mingw-x86_64 runs=emulated" registered=$OWN rules_after= \
  "bang=ran only the scenarios where 32 and 64 bits can differ"
row "TOLVIMER_WINE32=twin" kernel=runs ask=twin -- \
  "$TWIN runs=native" installs= "bang=TOLVIMER_WINE32=twin asked for it"
row "TOLVIMER_WINE32 of an unknown word" kernel=runs ask=32bit -- \
  status=1 installs= "says=TOLVIMER_WINE32=32bit: not one of auto, native, emulated, twin" \
  'says=in "choosing the Wine build"'
row "Ctrl-C while qemu installs" kernel=refuses interrupt=qemu-user -- \
  status=130 installs= registered= rules_after= 'says=in "choosing the Wine build"'
row "Ctrl-C while 32-bit Wine installs, the rule registered" kernel=refuses interrupt=wine32:i386 -- \
  status=130 installs=qemu-user@bookworm-backports registered=$OWN rules_after=
row "the build packages cannot be installed" kernel=runs build_packages=missing build_packages=fail -- \
  status=100 installs= registered= 'says=in "installing the packages it needs"'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
