# How this machine runs 32-bit (i386) programs, decided by running one.
# Sourced by scripts/wine_build.sh.
#
# Some kernels have their 32-bit support switched off ("Exec format error"),
# and machines of the same kind differ here from one day to the next. There,
# qemu's user-mode emulator, registered with binfmt_misc, runs them (slowly).
#
# Nothing here changes a binfmt_misc rule these scripts did not make. What the
# kernel itself can run is told by a second probe that no qemu rule takes:
# binfmt_misc matches the first bytes of a file against each rule's magic and
# mask, and qemu's rule pins the ELF header's padding bytes to zero, which
# the kernel's own ELF loader never reads; the probe sets one of them. Each
# probe prints the machine uname(2) gives it: a 32-bit program on a 64-bit
# kernel is told the kernel's machine (x86_64), qemu-i386 tells every program
# i686, so a probe some other rule still took is not taken for the kernel.

# The smallest i386 Linux program that tells who ran it: it writes the
# machine field of uname(2) and exits with code 42. With "kernel", one ELF
# padding byte is set, so no binfmt_misc rule of qemu's takes it.
write_i386_probe() {
  local pad='\x00'
  [ "${1:-}" = kernel ] && pad='\x01'
  printf '\x7fELF\x01\x01\x01\x00\x00'"$pad"'\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
  printf '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00'
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
  printf '\x00\x80\x04\x08\x87\x00\x00\x00\x87\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  printf '\x81\xec\x90\x01\x00\x00\x89\xe3\xb8\x7a\x00\x00\x00\xcd\x80' # uname(esp)
  printf '\xb8\x04\x00\x00\x00\xbb\x01\x00\x00\x00\x8d\x8c\x24\x04\x01\x00\x00\xba\x41\x00\x00\x00\xcd\x80' # write(1, machine, 65)
  printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' # exit(42)
}

# Runs the probe file; the script test puts a simulated machine here.
i386_exec() { "$1"; }

# Prints the machine the probe was told, or nothing when it did not run (and
# then returns 1: callers that only read the output add `|| true`).
run_i386_probe() {
  local probe status machine
  probe=$(mktemp /tmp/tolvimer-i386-probe.XXXXXX) || return 1
  write_i386_probe "${1:-}" >"$probe"
  chmod +x "$probe"
  machine=$(i386_exec "$probe" 2>/dev/null | tr '\0' '\n' | head -n 1; exit "${PIPESTATUS[0]}") && status=0 || status=$?
  rm -f "$probe"
  [ "$status" = 42 ] && echo "$machine"
}

# The kernel ran the probe itself: it was told the kernel's own machine.
ran_natively() { [ -n "$1" ] && [ "$1" = "$(uname -m)" ]; }

# The qemu that runs them: qemu-user 9 or later. Debian 12's own (7.2) now and
# then ends a 32-bit Wine program that calls COM across processes with a
# fault of its emulation (tests/e2e/com_probe.sh: 3 runs of 30 with 7.2, none
# with 10.0). Debian 12's backports have qemu-user 10, built for Debian 12
# and statically linked: it needs no newer library.
QEMU_I386=/usr/bin/qemu-i386
QEMU_I386_VERSION=''

qemu_i386_sound() {
  QEMU_I386_VERSION=$("$QEMU_I386" --version 2>/dev/null | sed -n -E '1s/.*version ([0-9.]+).*/\1/p') ||
    QEMU_I386_VERSION=''  # not installed
  [ -n "$QEMU_I386_VERSION" ] && [ "${QEMU_I386_VERSION%%.*}" -ge 9 ]
}

# Where these scripts look and write; the script test points them elsewhere.
BINFMT_DIR=/proc/sys/fs/binfmt_misc
APT_SOURCES_DIR=/etc/apt/sources.list.d
OS_RELEASE=/etc/os-release
# Held shared by every run that uses the rule below, for as long as it runs.
QEMU_RULE_LOCK=/run/lock/tolvimer-qemu-i386.lock
[ -d /run/lock ] || QEMU_RULE_LOCK=/tmp/tolvimer-qemu-i386.lock

# The backports source these scripts add for qemu; set while it is there, so
# that the end of the command takes it away whatever ended it.
BACKPORTS_SOURCE_ADDED=''

remove_backports_source() {
  [ -n "$BACKPORTS_SOURCE_ADDED" ] || return 0
  rm -f "$BACKPORTS_SOURCE_ADDED"
  BACKPORTS_SOURCE_ADDED=''
  # apt forgets the suite's lists too: it is left as it was found.
  apt-get update -qq >&2 || true
}

# Installs qemu-user (on Debian 12 from its backports suite, added beside the
# suite apt already takes Debian 12 from, at backports' own low priority, so
# that nothing else is upgraded from it, and taken away again once qemu is
# installed: the package stays, the source does not). Sets I386_PROBLEM to
# why when it cannot.
ensure_qemu_i386() {
  qemu_i386_sound && return 0
  local suite=() codename
  codename=$(. "$OS_RELEASE" && echo "${VERSION_CODENAME:-}") || codename=''
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2 || {
    I386_PROBLEM="apt-get update failed, so qemu-user 9 or later could not be installed"
    return 1
  }
  if [ "$codename" = bookworm ]; then
    if ! apt-cache policy | grep -q ' bookworm-backports/main '; then
      local uri
      uri=$(apt-cache policy | sed -n -E 's#^ *[0-9]+ (\S+) bookworm/main .*#\1#p' | head -n 1)
      [ -n "$uri" ] || {
        I386_PROBLEM="apt takes no Debian 12 suite from a mirror, so bookworm-backports (qemu-user 9 or later) cannot be added"
        return 1
      }
      BACKPORTS_SOURCE_ADDED=$APT_SOURCES_DIR/tolvimer-backports.sources
      printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: %s\n' \
        "$uri" /usr/share/keyrings/debian-archive-keyring.gpg >"$BACKPORTS_SOURCE_ADDED"
      if ! apt-get update -qq >&2 || ! apt-cache policy | grep -q ' bookworm-backports/main '; then
        remove_backports_source
        I386_PROBLEM="bookworm-backports cannot be reached from $uri, so qemu-user 9 or later could not be installed"
        return 1
      fi
    fi
    suite=(-t bookworm-backports)
  fi
  echo "Installing: qemu-user ${suite[*]}" >&2
  local installed=yes
  apt-get install -y -qq --no-install-recommends "${suite[@]}" qemu-user >/dev/null || installed=''
  remove_backports_source
  if [ -z "$installed" ] || ! qemu_i386_sound; then
    I386_PROBLEM="qemu-user 9 or later could not be installed (${QEMU_I386_VERSION:-none} is there)"
    return 1
  fi
}

# binfmt_misc, reached only through these (the script test replaces them).
binfmt_ready() { [ -e "$BINFMT_DIR/register" ]; }
binfmt_mount() { mount -t binfmt_misc binfmt_misc "$BINFMT_DIR" 2>/dev/null; }
binfmt_register() { echo "$1" >"$BINFMT_DIR/register" 2>/dev/null; }
binfmt_remove() { echo -1 >"$BINFMT_DIR/$1" 2>/dev/null; }
binfmt_rule_has() { grep -qx "interpreter $2" "$BINFMT_DIR/$1" 2>/dev/null; }
binfmt_rule_exists() { [ -e "$BINFMT_DIR/$1" ]; }

# The rule these scripts register, under a name of their own. Registered last,
# it is the one binfmt_misc tries first. Every run that uses it holds
# QEMU_RULE_LOCK shared; the last one to end takes it away, whether it
# registered the rule or found it left by a run that was interrupted.
OWN_QEMU_I386_RULE=tolvimer-qemu-i386
# The process holding this run's share of the lock, while the run uses the rule.
QEMU_RULE_HOLDER=''

# Registers qemu-i386 for i386 programs (qemu's own magic and mask); sets
# I386_PROBLEM to why when it cannot. Not run in a subshell: the caller keeps
# QEMU_RULE_HOLDER to take the rule away at its end.
register_qemu_i386() {
  ensure_qemu_i386 || return 1
  if ! binfmt_ready; then
    binfmt_mount || {
      I386_PROBLEM="binfmt_misc cannot be mounted here"
      return 1
    }
  fi
  # Held by a process of its own, which ends with this shell however it ends,
  # so that no program this run starts (and that may outlive it) holds the
  # lock in its name.
  if [ -z "$QEMU_RULE_HOLDER" ]; then
    local held
    held=$(mktemp /tmp/tolvimer-qemu-lock.XXXXXX) && rm -f "$held" || return 1
    (flock -s 9 && : >"$held" && exec tail --pid=$$ -f /dev/null) 9>>"$QEMU_RULE_LOCK" \
      </dev/null >/dev/null 2>&1 &
    QEMU_RULE_HOLDER=$!
    local tries=0
    while [ ! -e "$held" ] && [ $tries -lt 300 ] && kill -0 "$QEMU_RULE_HOLDER" 2>/dev/null; do
      sleep 0.1
      tries=$((tries + 1))
    done
    if [ ! -e "$held" ]; then
      kill "$QEMU_RULE_HOLDER" 2>/dev/null || true
      QEMU_RULE_HOLDER=''
      I386_PROBLEM="the lock $QEMU_RULE_LOCK cannot be taken"
      return 1
    fi
    rm -f "$held"
  fi
  # A rule of ours left by an earlier run is kept when it names this qemu.
  if binfmt_rule_exists "$OWN_QEMU_I386_RULE"; then
    binfmt_rule_has "$OWN_QEMU_I386_RULE" "$QEMU_I386" && return 0
    binfmt_remove "$OWN_QEMU_I386_RULE" || true
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  # F: the interpreter is opened now, so it also serves other mount namespaces.
  binfmt_register ":$OWN_QEMU_I386_RULE:M::$magic:$mask:$QEMU_I386:F" || {
    I386_PROBLEM="binfmt_misc refused the registration of qemu-i386"
    return 1
  }
}

# Takes this scripts' rule away when no other run of theirs still uses it;
# never a rule they did not make.
remove_qemu_i386_rule() {
  [ -n "$QEMU_RULE_HOLDER" ] || return 0
  kill "$QEMU_RULE_HOLDER" 2>/dev/null || true
  wait "$QEMU_RULE_HOLDER" 2>/dev/null || true
  QEMU_RULE_HOLDER=''
  # Taken only when no other run holds it: the rule is then no one's.
  local fd
  { exec {fd}>>"$QEMU_RULE_LOCK"; } 2>/dev/null || return 0
  if flock -xn "$fd"; then
    binfmt_remove "$OWN_QEMU_I386_RULE" || true
  else
    echo "The binfmt_misc rule $OWN_QEMU_I386_RULE stays: another run of these scripts still uses it" >&2
  fi
  exec {fd}>&-
}

# Sets I386_RUNS to native (the kernel runs them, nothing takes them first),
# emulated (through qemu: a rule that was there, or one registered here) or
# none, I386_KERNEL to runs or refuses (what the kernel itself does), and
# I386_WHY to the reason in words when they do not run natively.
probe_i386_programs() {
  I386_WHY=''
  I386_KERNEL=refuses
  ran_natively "$(run_i386_probe kernel)" && I386_KERNEL=runs
  local machine
  machine=$(run_i386_probe) || true  # nothing printed: it did not run
  if ran_natively "$machine"; then
    I386_RUNS=native
    return
  fi
  local kernel="the kernel runs no 32-bit programs (Exec format error)"
  [ "$I386_KERNEL" = runs ] && kernel="the kernel runs 32-bit programs, but a qemu rule these scripts did not make takes them"
  # Whatever rule takes them now, this run's own rule, registered last, takes
  # them first: a qemu that is sound for Wine's COM calls.
  I386_PROBLEM=''
  if register_qemu_i386 && [ -n "$(run_i386_probe || true)" ]; then
    I386_RUNS=emulated
    I386_WHY="$kernel; they run through qemu-i386 $QEMU_I386_VERSION"
  else
    I386_RUNS=none
    I386_WHY="$kernel, and qemu cannot run them either (${I386_PROBLEM:-the registered handler fails})"
  fi
}
