# Which Windows build runs under Wine; sourced by scripts/test.sh and
# scripts/run.sh after scripts/packages.sh.
#
# choose_wine_build installs 32-bit Wine if it can and sets WINE_BUILD to
# mingw-i686, the launcher users install. When 32-bit Wine cannot be had it
# prints one prominent line saying so, sets WINE_BUILD to mingw-x86_64 (the
# same code as a 64-bit program) and WINE32_MISSING to that line.
WINE_BUILD=mingw-i686
WINE32_MISSING=''

choose_wine_build() {
  local output
  if output=$(bash scripts/ensure_packages.sh "${WINE32_PACKAGES[@]}" 2>&1); then
    [ -z "$output" ] || echo "$output"
    WINE_BUILD=mingw-i686
    WINE32_MISSING=''
    return 0
  fi
  local reason
  reason=$(tail -n 1 <<<"$output")
  WINE_BUILD=mingw-x86_64
  WINE32_MISSING="!!! the shipped 32-bit launcher was NOT run end to end: 32-bit Wine"
  WINE32_MISSING+=" (${WINE32_PACKAGES[*]}) could not be installed (${reason:-apt-get failed});"
  WINE32_MISSING+=" the 64-bit build runs instead"
  echo "$WINE32_MISSING"
}
