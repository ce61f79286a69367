#!/usr/bin/env bash
# Fails unless the executable imports only DLLs that every Windows has.
set -euo pipefail
exe=$1
allowed='^(kernel32|user32|msvcrt|dinput|gdi32|advapi32)\.dll$'
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
