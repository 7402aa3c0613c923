#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs after the normal tests. (1) The whole suite (unit, window and share
# tests) built with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/. (2) Each fuzz target built with clang's libFuzzer into
# build-fuzz/ and run for ORVALEN_FUZZ_SECONDS (60) from its seed corpus; a
# crashing input is copied to fuzz/regressions/<target>/, where the replay
# tests pick it up. (3) The engine's tests built with ThreadSanitizer into
# build-tsan/: the pass runs on a thread of its own beside the window's.
# Any finding fails the run. Prints what each part cost.
source "$(dirname "$0")/common.sh"
install_missing "${SHARE_TEST_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"

ASAN_BUILD="${ORVALEN_ASAN_BUILD_DIR:-$BUILD-asan}"
FUZZ_BUILD="${ORVALEN_FUZZ_BUILD_DIR:-$BUILD-fuzz}"
TSAN_BUILD="${ORVALEN_TSAN_BUILD_DIR:-$BUILD-tsan}"
FUZZ_SECONDS="${ORVALEN_FUZZ_SECONDS:-60}"
FUZZ_TARGETS=(interval_text_fuzz key_value_store_fuzz)
# -O1 builds faster than -O2 and keeps the reports readable; line tables
# (-g1) are all the stack traces need.
SANITIZED_FLAGS="-O1 -g1"

export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
SUPPRESSIONS="$ROOT/scripts/lsan-suppressions.txt"
if [ -f "$SUPPRESSIONS" ]; then
  export LSAN_OPTIONS="suppressions=$SUPPRESSIONS:print_suppressions=0"
fi

COSTS=()
report_costs() {
  echo "Hardening costs (wall clock):"
  for line in "${COSTS[@]}"; do echo "  $line"; done
}
trap report_costs EXIT
# Errors inside the timed part do not stop it early (it runs under ||), so
# each part chains its own steps with &&.
timed() {
  local name=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  COSTS+=("$name: $((SECONDS - start)) s")
  return $status
}

# (1) No benchmarks (their timings mean nothing here) and no Windows build.
sanitizer_build() {
  cmake -S "$ROOT" -B "$ASAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$SANITIZED_FLAGS" -DORVALEN_SANITIZE=ON -DORVALEN_BUILD_BENCH=OFF &&
  cmake --build "$ASAN_BUILD" -j "$(nproc)"
}
sanitizer_tests() {
  ctest --test-dir "$ASAN_BUILD" --output-on-failure -j "$(nproc)"
}

# (2) Only the libraries and the fuzz targets.
fuzz_build() {
  cmake -S "$ROOT" -B "$FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$SANITIZED_FLAGS" \
    -DORVALEN_SANITIZE=ON -DORVALEN_FUZZ=ON \
    -DORVALEN_BUILD_UI=OFF -DORVALEN_BUILD_TESTS=OFF -DORVALEN_BUILD_BENCH=OFF &&
  cmake --build "$FUZZ_BUILD" -j "$(nproc)" --target "${FUZZ_TARGETS[@]}"
}

# One target for FUZZ_SECONDS. New inputs go to a scratch corpus in the build
# folder, so the seeds in the repository only change by hand.
fuzz_one() {
  local target=$1
  local work="$FUZZ_BUILD/fuzz-work/$target" found="$FUZZ_BUILD/fuzz-found/$target"
  local seeds=("$ROOT/fuzz/corpus/$target")
  [ -d "$ROOT/fuzz/regressions/$target" ] && seeds+=("$ROOT/fuzz/regressions/$target")
  rm -rf "$found"
  mkdir -p "$work" "$found"
  "$FUZZ_BUILD/fuzz/$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$found/" "$work" "${seeds[@]}" >"$FUZZ_BUILD/$target.log" 2>&1
}

# Both targets at once, one per core.
fuzz_runs() {
  local pids=() failed=0
  for target in "${FUZZ_TARGETS[@]}"; do
    fuzz_one "$target" &
    pids+=($!)
  done
  for i in "${!FUZZ_TARGETS[@]}"; do
    local target=${FUZZ_TARGETS[$i]}
    if wait "${pids[$i]}"; then
      echo "$target: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$FUZZ_BUILD/$target.log" | grep -o '[0-9]*$') inputs in ${FUZZ_SECONDS} s, no finding"
      continue
    fi
    failed=1
    tail -n 60 "$FUZZ_BUILD/$target.log"
    mkdir -p "$ROOT/fuzz/regressions/$target"
    for input in "$FUZZ_BUILD/fuzz-found/$target"/*; do
      [ -f "$input" ] || continue
      cp "$input" "$ROOT/fuzz/regressions/$target/"
      echo "$target: finding kept as fuzz/regressions/$target/$(basename "$input"); fix it and commit the input"
    done
  done
  return $failed
}

# (3) Only the toolkit-free libraries and their tests: Qt itself is not built
# for ThreadSanitizer, so the windows would only report noise.
tsan_build() {
  cmake -S "$ROOT" -B "$TSAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$SANITIZED_FLAGS -fsanitize=thread" \
    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
    -DORVALEN_BUILD_UI=OFF -DORVALEN_BUILD_BENCH=OFF &&
  cmake --build "$TSAN_BUILD" -j "$(nproc)" --target core_tests
}
tsan_tests() {
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" "$TSAN_BUILD/tests/core_tests" --gtest_filter='PassRunner*:GuardEngine*:RunControl*'
}

timed "thread sanitizer build" tsan_build
timed "thread sanitizer tests" tsan_tests
timed "sanitizer build" sanitizer_build
timed "sanitizer ctest" sanitizer_tests
timed "fuzz build" fuzz_build
timed "fuzz runs (${#FUZZ_TARGETS[@]} targets side by side)" fuzz_runs
