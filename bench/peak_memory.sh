#!/usr/bin/env bash
# Peak resident memory of one parse-evaluate-write-free of each
# 1M-character long input, each in a process of its own.
set -euo pipefail
bench=${1:?path to engine_bench}
names=("1+1+...+1" "x-x-...-x" "((...(1)...))" "qqq...q")
for family in 0 1 2 3; do
  kib=$( { /usr/bin/time -f '%M' "$bench" --benchmark_filter="BM_LongInput/$family/1000000\$" \
      --benchmark_min_time=0 >/dev/null; } 2>&1 | tail -n 1)
  printf 'peak memory at 1M characters, %-14s %4d MiB\n' "${names[$family]}:" "$((kib / 1024))"
done
