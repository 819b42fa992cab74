#!/usr/bin/env bash
# Runs the calculation fuzzer for the given number of seconds on a scratch
# copy of the committed seed corpus; fails on any crash, leak or sanitizer
# report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
work=build-fuzz/corpus
mkdir -p "$work" build-fuzz/artifacts
cp -n fuzz/corpus/* "$work"/ 2>/dev/null || true
build-fuzz/fuzz/calc_fuzzer "$work" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=4096 -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 2>&1 | tail -n 12
