#!/usr/bin/env bash
# zentrova-calc.exe under Wine, for tests/cli_test.sh:
#   ZENTROVA_CALC=scripts/zentrova-calc-wine.sh bash tests/cli_test.sh tests/data
# ZENTROVA_CALC_EXE names the program (default build-windows/zentrova-calc.exe).
here=$(cd "$(dirname "$0")/.." && pwd)
exec "$here/scripts/wine-run.sh" "${ZENTROVA_CALC_EXE:-$here/build-windows/zentrova-calc.exe}" "$@"
