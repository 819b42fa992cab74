#!/usr/bin/env bash
# Time and peak memory of zentrova-calc with big notebooks, each in a
# process of its own: 64 MiB of line feeds (past the line limit: refused),
# and notebooks at the limits of lines and runs (read whole).
set -euo pipefail
calc=${1:?path to zentrova-calc}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

head -c 67108864 /dev/zero | tr '\0' '\n' >"$tmp/line-feeds.txt"
python3 - "$tmp" <<'EOF'
import sys
tmp = sys.argv[1]
n = 1000000
with open(tmp + "/lines.txt", "w") as f:
    f.write("a=2\n" + ("x" * 60 + "=1\n") * (n - 1))
with open(tmp + "/lines.rtf", "w") as f:
    f.write("{\\rtf1\\ansi{\\fonttbl{\\f0 Liberation Sans;}}{\\colortbl;\\red200\\green0\\blue0;}\\f0\\cf1 a=2\\par\n"
            + ("x" * 54 + "=1\\par\n") * (n - 1) + "}")
with open(tmp + "/runs.rtf", "w") as f:
    f.write("{\\rtf1 a=2\\par " + "{\\b x}y" * 999999 + "}")
EOF

run() { # label, file
  local label=$1 file=$2 mib
  mib=$(($(stat -c %s "$file") / 1048576))
  /usr/bin/time -f '%e %M %x' -o "$tmp/time" "$calc" --notebook "$file" "a+1" >/dev/null 2>&1 || true
  read -r seconds kib status < <(tail -n 1 "$tmp/time")
  printf '%-44s %3d MiB: %6.2f s, peak %5d MiB, status %s\n' "$label" "$mib" "$seconds" "$((kib / 1024))" "$status"
}
run "64 MiB of line feeds" "$tmp/line-feeds.txt"
run "1,000,000 text lines of 63 bytes" "$tmp/lines.txt"
run "1,000,000 coloured RTF lines" "$tmp/lines.rtf"
run "2,000,000 runs of RTF in one line" "$tmp/runs.rtf"
