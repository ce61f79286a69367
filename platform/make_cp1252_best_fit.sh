#!/usr/bin/env bash
# Regenerates cp1252_best_fit.inc from the system's own conversion, here
# Wine's WideCharToMultiByte (Wine's tables follow Windows' best-fit tables).
#   make_cp1252_best_fit.sh   (needs i686-w64-mingw32-g++ and wine)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i686-w64-mingw32-g++ -O1 -static "$here/cp1252_best_fit_gen.cpp" -o "$work/gen.exe"
WINEDEBUG=-all wine "$work/gen.exe" | tr -d '\r' >"$work/table.inc"
mv "$work/table.inc" "$here/cp1252_best_fit.inc"
