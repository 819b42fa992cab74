#!/usr/bin/env bash
# zentrova-calc against bc -l on 10,000 lines of a*(b+c)/7-a^2 with small
# integers, each timed as a whole process.
set -euo pipefail
calc=${1:?path to zentrova-calc}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
awk 'BEGIN { srand(7); for (i = 0; i < 10000; i++) { a = int(rand() * 20) + 1; b = int(rand() * 20); c = int(rand() * 20);
  printf "%d*(%d+%d)/7-%d^2\n", a, b, c, a } }' >"$tmp/lines"
best() { # best of three runs, in seconds
  local best=999
  for _ in 1 2 3; do
    local s e
    s=$(date +%s.%N); "$@" <"$tmp/lines" >"$tmp/out"; e=$(date +%s.%N)
    best=$(echo "$e - $s" | bc -l | awk -v b="$best" '{ print ($1 < b) ? $1 : b }')
  done
  echo "$best"
}
z=$(best "$calc")
b=$(best bc -l)
lines=$(wc -l <"$tmp/out")
printf 'zentrova-calc: %.3f s for 10000 lines (%.2f us/line)\n' "$z" "$(echo "$z * 100" | bc -l)"
printf 'bc -l:         %.3f s for %d lines (%.2f us/line)\n' "$b" "$lines" "$(echo "$b * 100" | bc -l)"
printf 'ratio zentrova-calc / bc: %.2f\n' "$(echo "$z / $b" | bc -l)"
