#!/usr/bin/env bash
# Builds the viewer's libFuzzer target with clang into build-fuzz and runs it
# for the given number of seconds (default 60), starting from the seeds in
# fuzz/corpus. Fails on any crash, leak, sanitizer report or failed check.
# Skips, with exit status 0, only when clang with libFuzzer cannot be had.
set -euo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS=${1:-60}
BUILD=build-fuzz
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}

# clang and libFuzzer's runtime (packages clang, libclang-rt-14-dev), when missing.
if ! bash scripts/setup.sh fuzz; then
  echo "fuzz: the packages above could not be installed; trying what there is" >&2
fi

# Whether clang++ links a fuzz target with the sanitizers.
can_fuzz() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local dir ok=0
  dir=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$dir/t.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$dir/t.cpp" -o "$dir/t" >/dev/null 2>&1 || ok=1
  rm -rf "$dir"
  return $ok
}
if ! can_fuzz; then
  echo "fuzz: SKIPPED - clang++ with libFuzzer and the sanitizers is not available" \
    "(Debian: apt-get install clang libclang-rt-14-dev)."
  exit 0
fi

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S fuzz -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" -j "$JOBS"

# New inputs go to build-fuzz/corpus, findings to build-fuzz/artifacts; the
# seeds in the tree are only read.
mkdir -p "$BUILD/corpus" "$BUILD/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
echo "fuzz: running viewer_fuzzer for ${FUZZ_SECONDS} s"
if ! "$BUILD/viewer_fuzzer" "$BUILD/corpus" fuzz/corpus -dict=fuzz/viewer.dict \
  -max_total_time="$FUZZ_SECONDS" -max_len=8192 -timeout=10 -rss_limit_mb=4096 \
  -artifact_prefix="$BUILD/artifacts/" -print_final_stats=1; then
  echo "fuzz: FAILED - the input is in $BUILD/artifacts/ (run $BUILD/viewer_fuzzer FILE to repeat it)" >&2
  exit 1
fi
echo "fuzz: no findings in ${FUZZ_SECONDS} s"
