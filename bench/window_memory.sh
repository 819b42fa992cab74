#!/usr/bin/env bash
# Time and peak resident memory of the window opening each notebook at and
# past its limits, each in a process of its own.
set -euo pipefail
bench=${1:?path to gui_bench}
names=("64 MiB of line feeds" "1,000,000 empty lines" "999,999 lines in 64 MiB" "64 MiB of RTF paragraphs")
for which in 0 1 2 3; do
  QT_QPA_PLATFORM=offscreen "$bench" --benchmark_filter="BM_OpenAtTheLimits/$which/" >/dev/null 2>&1 # the file, made once
  out=$( { QT_QPA_PLATFORM=offscreen /usr/bin/time -f 'peak %M' "$bench" --benchmark_filter="BM_OpenAtTheLimits/$which/" \
      --benchmark_format=csv 2>&1; } | grep -E '^"BM_|^peak')
  ms=$(grep '^"BM_' <<<"$out" | cut -d, -f3)
  kib=$(grep '^peak' <<<"$out" | cut -d' ' -f2)
  outcome=$(grep -q 'refused' <<<"$out" && echo refused || echo opened)
  printf 'window, %-26s %s in %6.0f ms, peak memory %4d MiB\n' "${names[$which]}:" "$outcome" "$ms" "$((kib / 1024))"
done
