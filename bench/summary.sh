# summary <what> <values...>: median, spread (min..max) and count in ms of the
# numeric values; sourced by the Wine figure scripts.
summary() {
  local what=$1
  shift
  printf '%s\n' "$@" | grep -E '^-?[0-9]+$' | sort -n | awk -v what="$what" '
    { v[NR] = $1 }
    END {
      if (NR == 0) { printf "  %-62s no values\n", what; exit }
      m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "  %-62s median %6.1f ms, min %5d, max %5d (%d runs)\n", what, m, v[1], v[NR], NR
    }'
}
