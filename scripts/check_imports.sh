#!/usr/bin/env bash
# check_imports.sh EXE [EXTRA_DLLS]
# Fails unless the executable imports only DLLs that every Windows has (and
# the comma-separated EXTRA_DLLS of its own, such as the settings editor's
# comctl32,comdlg32).
set -euo pipefail
exe=$1
extra=${2:-}
allowed="^(kernel32|user32|msvcrt|dinput|gdi32|advapi32${extra:+|${extra//,/|}})\.dll$"
status=0
while read -r dll; do
  if [[ ${dll,,} =~ $allowed ]]; then
    echo "  $dll"
  else
    echo "  $dll: not a Windows system DLL" >&2
    status=1
  fi
done < <(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
echo "  size: $(stat -c %s "$exe") bytes"
exit $status
