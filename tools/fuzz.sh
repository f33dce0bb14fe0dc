#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, with ASan and UBSan) and runs each for a
# fixed number of inputs from its seed corpus, so they keep working. A longer
# run by hand: build/fuzz/fuzz/fuzz_<name> -runs=10000000 <a copy of fuzz/corpus/<name>>
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${KIV_FUZZ_RUNS:-50000}"
cmake --preset fuzz
cmake --build --preset fuzz

for target in conversion format settings road order batch; do
  # A scratch copy: what the fuzzer learns must not change the checked-in seeds.
  scratch="build/fuzz/corpus-$target"
  rm -rf "$scratch"
  cp -r "fuzz/corpus/$target" "$scratch"
  echo "fuzz_$target: $runs runs"
  log="build/fuzz/$target.log"
  if ! "build/fuzz/fuzz/fuzz_$target" -runs="$runs" -seed=1 \
    -artifact_prefix="build/fuzz/$target-" "$scratch" >"$log" 2>&1; then
    # The report and the input that broke it (saved under build/fuzz/<name>-crash-*).
    tail -n 40 "$log"
    echo "fuzz_$target FAILED" >&2
    exit 1
  fi
  tail -n 1 "$log"
done
