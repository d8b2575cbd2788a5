#!/usr/bin/env bash
# Runs every benchmark program that was built. Figures, not pass/fail tests:
# a missed target is printed, never turned into an exit status.
#
#   BENCH_MIB           size of the cipher job inputs (default 512)
#   BENCH_REPEATS       paired runs per measure (default 5)
#   BENCH_DIR           where the temporary files go (default /tmp)
#   BENCH_BASELINE_CLI  another ottomix-cli, timed beside this build's
#   BENCH_SCREENSHOT    a PNG file: the display with the bar at half way
set -euo pipefail
BUILD=${1:-build}
export BENCH_MIB=${BENCH_MIB:-512}
export BENCH_REPEATS=${BENCH_REPEATS:-5}
CLI="$BUILD/cli/ottomix-cli"

log=$(mktemp)
trap 'rm -f "$log"' EXIT

# A program that fails (a child that failed, a missing file) is reported at
# the end and makes the exit status non-zero; the others still run.
failed=()

with_display() {
  if [ -z "${DISPLAY:-}" ]; then QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$@"; else "$@"; fi
}

echo "== Cipher job against the 1 MiB-block floor and tr =="
if ! "$BUILD/bench/ottomix_bench_core" "$CLI" "$BENCH_MIB" "$BENCH_REPEATS" | tee -a "$log"; then
  failed+=(ottomix_bench_core)
fi

if [ -x "$BUILD/bench/ottomix_bench_progress" ]; then
  echo; echo "== Window job against ottomix-cli =="
  shot=()
  [ -n "${BENCH_SCREENSHOT:-}" ] && shot=(--screenshot "$BENCH_SCREENSHOT")
  if ! with_display "$BUILD/bench/ottomix_bench_progress" --cli "$CLI" --mib "$BENCH_MIB" \
    --runs "$BENCH_REPEATS" "${shot[@]}" | tee -a "$log"; then
    failed+=(ottomix_bench_progress)
  fi
fi

for b in "$BUILD"/bench/ottomix_bench_*; do
  case "$(basename "$b")" in
    # Run above, or a helper of the cipher job bench.
    ottomix_bench_core | ottomix_bench_floor | ottomix_bench_progress) continue ;;
  esac
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo; echo "== $(basename "$b") =="
  with_display "$b" || failed+=("$(basename "$b")")
done

# The two job benches each end with "Targets: M of N met; mismatches: K".
echo
awk '/^Targets: [0-9]+ of [0-9]+ met; mismatches: [0-9]+$/ { met += $2; of += $4; bad += $7 }
     END {
       if (bad > 0) printf "OUTPUT MISMATCH: %d job output(s) differ from their reference (see above).\n", bad
       if (of == 0) print "Job benches: no figures."
       else if (met == of) printf "Job benches: all %d targets met.\n", of
       else printf "Job benches: %d of %d targets missed (rows marked MISS above).\n", of - met, of
     }' "$log"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED to run: ${failed[*]} (see the errors above); their figures are missing."
  exit 1
fi
