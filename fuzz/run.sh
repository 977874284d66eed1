#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in their own build directory and runs
# each for a fixed time on the seed corpus. Exits non-zero on a finding (crash, sanitizer report,
# leak, time-out, broken contract); the input that caused it is kept under <build>/artifacts/.
#
# Usage: fuzz/run.sh [seconds-import] [seconds-roundtrip] [seconds-csv]   (defaults: 60 each)
# Environment: RULEWEAVE_FUZZ_BUILD_DIR (default build/fuzz), RULEWEAVE_FUZZ_JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

import_seconds=${1:-60}
roundtrip_seconds=${2:-60}
csv_seconds=${3:-60}
build=${RULEWEAVE_FUZZ_BUILD_DIR:-build/fuzz}
jobs=${RULEWEAVE_FUZZ_JOBS:-2}

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRULEWEAVE_BUILD_FUZZERS=ON -DRULEWEAVE_SANITIZE=ON \
  -DRULEWEAVE_BUILD_TESTS=OFF -DRULEWEAVE_BUILD_TOOLS=OFF -DRULEWEAVE_BUILD_EXAMPLES=OFF \
  -DRULEWEAVE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_pmml_import fuzz_pmml_roundtrip \
  fuzz_csv_load

artifacts="$build/artifacts"
mkdir -p "$artifacts"
# New inputs found while fuzzing go to a scratch corpus; the committed seeds stay as they are.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1

# run TARGET SECONDS CORPUS [libFuzzer options...]
run() {
  local target=$1 seconds=$2 corpus=$3
  shift 3
  mkdir -p "$scratch/$target"
  echo "== $target for ${seconds}s"
  if ! "$build/bin/$target" "$scratch/$target" "$corpus" "$@" \
      -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
      2>"$scratch/$target.log"; then
    tail -n 60 "$scratch/$target.log"
    echo "$target: finding; the input is in $artifacts/" >&2
    return 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$scratch/$target.log" || true
}

run fuzz_pmml_import "$import_seconds" fuzz/corpus/pmml -dict=fuzz/pmml.dict -max_len=16384
run fuzz_pmml_roundtrip "$roundtrip_seconds" fuzz/corpus/pmml -dict=fuzz/pmml.dict -max_len=16384
run fuzz_csv_load "$csv_seconds" fuzz/corpus/csv -max_len=4096
echo "== fuzzing found nothing"
