#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with Clang in build-fuzz/ and runs one of them
# (or "all", one after another) for SECONDS each. A crash, a leak, a sanitizer report or a
# broken property fails the run; the input that caused it is saved under
# build-fuzz/artifacts/ and printed. New inputs the fuzzer finds go to build-fuzz/corpus/.
set -euo pipefail

if [ $# -ne 2 ] || ! [[ "$2" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 TARGET|all SECONDS" >&2
  exit 2
fi
wanted="$1"
seconds="$2"
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$top/build-fuzz"
jobs="$(nproc 2>/dev/null || echo 2)"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Only what the targets link is built: no window, no tests or benchmarks.
cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUELNOR_FUZZ=ON -DQUELNOR_WITH_QT=OFF -DQUELNOR_WITH_LIBUSB=ON -DQUELNOR_TESTS=OFF \
      -DQUELNOR_BENCH=OFF "${launcher[@]}" >/dev/null

targets=()
while IFS=$'\t' read -r name corpus dict; do
  if [ "$wanted" = all ] || [ "$wanted" = "$name" ]; then targets+=("$name|$corpus|$dict"); fi
done <"$build/fuzz_targets.txt"
if ((${#targets[@]} == 0)); then
  echo "fuzz.sh: no fuzz target \"$wanted\"; there are:" >&2
  cut -f1 "$build/fuzz_targets.txt" >&2
  exit 2
fi

if [ "$wanted" = all ]; then
  cmake --build "$build" -j "$jobs" --target fuzz_targets
else
  cmake --build "$build" -j "$jobs" --target "$wanted"
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=0
for entry in "${targets[@]}"; do
  IFS='|' read -r name corpus dict <<<"$entry"
  work="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$work" "$artifacts"
  rm -f "$artifacts"/*
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096
        -print_final_stats=1 -artifact_prefix="$artifacts/")
  [ -n "$dict" ] && args+=(-dict="$dict")
  seeds=()
  [ -d "$corpus" ] && seeds+=("$corpus")
  echo "== $name for ${seconds} s"
  # The first folder collects new inputs; the seed folder in the tree is only read.
  if ! "$build/bin/$name" "${args[@]}" "$work" "${seeds[@]}" >"$build/$name.log" 2>&1; then
    failed=1
    tail -n 60 "$build/$name.log"
    for input in "$artifacts"/*; do
      [ -f "$input" ] || continue
      echo "-- input that failed ($input, $(stat -c %s "$input") bytes):"
      od -A d -c "$input" | head -n 40
    done
    echo "== $name FAILED"
  else
    grep -E '^stat::number_of_executed_units|^Done' "$build/$name.log" || true
    echo "== $name passed"
  fi
done
exit "$failed"
