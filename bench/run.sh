#!/usr/bin/env bash
# Runs every benchmark program that was built. Figures, not pass/fail tests.
set -euo pipefail
BUILD=${1:-build}
echo "== Cipher job throughput =="
"$BUILD/bench/ottomix_bench_core" "$BUILD/cli/ottomix-cli" "${BENCH_MIB:-256}" "${BENCH_REPEATS:-3}"
for b in "$BUILD"/bench/ottomix_bench_*; do
  [ "$(basename "$b")" = ottomix_bench_core ] && continue
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo; echo "== $(basename "$b") =="
  if [ -z "${DISPLAY:-}" ]; then QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$b"; else "$b"; fi
done
