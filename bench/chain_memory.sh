#!/usr/bin/env bash
# Peak resident memory of a chain of notebook functions, each in a process
# of its own: 10,000 and 50,000 one-line functions defined and the last one
# evaluated, then also differentiated.
set -euo pipefail
bench=${1:?path to derivative_bench}
for n in 10000 50000; do
  for what in 0 1; do
    kib=$( { /usr/bin/time -f '%M' "$bench" --benchmark_filter="BM_FunctionChain/$n/$what/" \
        --benchmark_min_time=0 >/dev/null; } 2>&1 | tail -n 1)
    label=$([ "$what" = 0 ] && echo "defined and evaluated" || echo "and differentiated")
    printf 'peak memory, %6d chained functions %-22s %4d MiB\n' "$n" "$label" "$((kib / 1024))"
  done
done
