#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each over its seed corpus
# for the given number of seconds (default 20). New inputs go to build/fuzz/found/<name>,
# never into the checked-in corpus; an input that breaks a property is kept as
# build/fuzz/crash-* and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DQUILLMOR_BUILD_FUZZERS=ON \
      -DQUILLMOR_BUILD_GUI=OFF -DQUILLMOR_BUILD_TESTS=OFF >/dev/null
# The targets that write files do it in a folder of their own under TMPDIR; memory is
# faster than a disk for that.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
targets=(macro_backup cp932 cnf acq_preview reg_file wine_reg chat)
cmake --build build/fuzz -j2 --target "${targets[@]/#/fuzz_}"
failed=0
for name in "${targets[@]}"; do
  mkdir -p "build/fuzz/found/$name"
  echo "fuzz_$name: ${seconds} s"
  status=0
  "build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix=build/fuzz/ \
      "build/fuzz/found/$name" "fuzz/corpus/$name" >"build/fuzz/$name.log" 2>&1 || status=$?
  grep -E "^(stat::number_of_executed_units|property|==|SUMMARY)" "build/fuzz/$name.log" || true
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$name failed (exit status $status); the input is kept as build/fuzz/crash-*"
    failed=1
  fi
done
exit "$failed"
