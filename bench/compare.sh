#!/usr/bin/env bash
# Builds the benchmarks of an earlier commit beside today's and runs both in
# turns: the evaluator's figures (single values and blocks, muParser and
# hand-written code as references) and the plot repaints.
#   bench/compare.sh [BASE]   (default: the commit before the one evaluator)
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-06154f9}
rounds=${ROUNDS:-10}
if ! git cat-file -e "$base^{commit}" 2>/dev/null; then
  echo "compare: commit $base is not in this clone's history; nothing to compare with" >&2
  exit 0
fi
src=build-bench-before/src
if [ ! -f "$src/.commit" ] || [ "$(cat "$src/.commit")" != "$base" ]; then
  rm -rf "$src" && mkdir -p "$src"
  git archive "$base" | tar -x -C "$src"
  echo "$base" > "$src/.commit"
fi
cmake -S "$src" -B build-bench-before/build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTROVA_BENCH=ON \
  -DZENTROVA_TESTS=OFF >/dev/null
cmake --build build-bench-before/build -j "$(nproc)" --target engine_bench gui_bench >/dev/null
echo "== Before ($base) and after, medians of $rounds rounds taken in turns"
python3 bench/compare.py build-bench-before/build/bench/engine_bench build-bench/bench/engine_bench \
  --filter='BM_Plot(Zentrova|Batch|MuParser|HandWritten)/[0-4]$' --rounds "$rounds" --pin 1
# A repaint at range 10 runs on one thread: pinned like the engine's figures.
python3 bench/compare.py build-bench-before/build/bench/gui_bench build-bench/bench/gui_bench \
  --filter='BM_PlotRepaint/10/' --rounds "$rounds" --pin 1 --env QT_QPA_PLATFORM=offscreen
python3 bench/compare.py build-bench-before/build/bench/gui_bench build-bench/bench/gui_bench \
  --filter='BM_PlotRepaint/1000?/' --rounds "$rounds" --env QT_QPA_PLATFORM=offscreen
