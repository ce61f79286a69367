# How this machine runs 32-bit (i386) programs, decided by running one.
# Sourced by scripts/wine_build.sh.
#
# Some kernels have their 32-bit support switched off ("Exec format error"),
# and machines of the same kind differ here from one day to the next. There,
# qemu's user-mode emulator, registered with binfmt_misc, runs them (slowly).

# The smallest i386 Linux program: it only exits with code 42.
write_i386_probe() {
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
  printf '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00'
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
  printf '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'  # exit(42)
}

i386_program_runs() {
  local probe status
  probe=$(mktemp /tmp/tolvimer-i386-probe.XXXXXX) || return 1
  write_i386_probe >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  [ "$status" = 42 ]
}

QEMU_I386_RULE=/proc/sys/fs/binfmt_misc/qemu-i386

qemu_i386_registered() { [ -e "$QEMU_I386_RULE" ] && grep -qx enabled "$QEMU_I386_RULE"; }

# Registers qemu-i386-static for i386 programs (qemu's own magic and mask);
# prints why when it cannot.
register_qemu_i386() {
  if ! [ -x /usr/bin/qemu-i386-static ]; then
    bash scripts/ensure_packages.sh qemu-user-static >&2 || {
      echo "qemu-user-static could not be installed"
      return 1
    }
  fi
  if ! [ -e /proc/sys/fs/binfmt_misc/register ]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || {
      echo "binfmt_misc cannot be mounted here"
      return 1
    }
  fi
  [ -e "$QEMU_I386_RULE" ] && echo 1 >"$QEMU_I386_RULE" 2>/dev/null  # enable a disabled one
  if ! [ -e "$QEMU_I386_RULE" ]; then
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    # F: the interpreter is opened now, so it also serves other mount namespaces.
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" \
      >/proc/sys/fs/binfmt_misc/register 2>/dev/null || {
      echo "binfmt_misc refused the registration of qemu-i386-static"
      return 1
    }
  fi
}

# Sets I386_RUNS to native (the kernel runs them), emulated (through qemu,
# registered here if it was not already) or none, and I386_WHY to the reason
# in words when they do not run natively.
probe_i386_programs() {
  I386_WHY=''
  local refused="the kernel runs no 32-bit programs (Exec format error)"
  local emulated="they run through qemu-i386-static, about a minute per Windows program"
  if qemu_i386_registered; then
    # A registered qemu rule catches i386 programs before the kernel does:
    # switched off for a moment, the probe tells what the kernel can do.
    echo 0 >"$QEMU_I386_RULE"
    if i386_program_runs; then refused="the kernel runs 32-bit programs, but qemu's rule takes them"; fi
    echo 1 >"$QEMU_I386_RULE"
    if i386_program_runs; then
      I386_RUNS=emulated
      I386_WHY="$refused; $emulated"
      return
    fi
  elif i386_program_runs; then
    I386_RUNS=native
    return
  fi
  local problem
  if problem=$(register_qemu_i386) && i386_program_runs; then
    I386_RUNS=emulated
    I386_WHY="$refused; $emulated"
  else
    I386_RUNS=none
    I386_WHY="$refused, and qemu cannot run them either (${problem:-the registered handler fails})"
  fi
}
