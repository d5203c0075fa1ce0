#!/usr/bin/env bash
# Builds the libFuzzer targets of the image loaders with clang, under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs each one for a
# while on seeds made from the test samples.
#   QOD_FUZZ_SECONDS  time per loader (default 60)
#   QOD_FUZZ_DIR      build folder (default build-fuzz)
# The corpus grows in <build>/fuzz-corpus/<loader>; an input that breaks a
# loader is kept as <build>/fuzz-crash-<loader>-*.
set -euo pipefail
QOD_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$QOD_ROOT/scripts/deps.sh"
qod_install_deps
BUILD=${QOD_FUZZ_DIR:-$QOD_ROOT/build-fuzz}
SECONDS_EACH=${QOD_FUZZ_SECONDS:-60}
LOADERS=(bmp tiff png jpeg)

echo "== fuzz build in $BUILD"
CC=clang CXX=clang++ cmake -S "$QOD_ROOT" -B "$BUILD" -G Ninja -DQOD_FUZZ=ON -DQOD_SANITIZE=ON \
  -DQOD_BUILD_GUI=OFF -DQOD_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)" --target qod_imaging_semi "${LOADERS[@]/#/fuzz_}"

SEEDS="$BUILD/fuzz-seeds"
rm -rf "$SEEDS"
"$BUILD/platform/imaging/fuzz/qod_imaging_semi" "$SEEDS"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for l in "${LOADERS[@]}"; do
  corpus="$BUILD/fuzz-corpus/$l"
  mkdir -p "$corpus"
  echo "== fuzz_$l for ${SECONDS_EACH}s"
  if ! "$BUILD/platform/imaging/fuzz/fuzz_$l" -max_total_time="$SECONDS_EACH" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD/fuzz-crash-$l-" \
      "$corpus" "$SEEDS/$l" 2>"$BUILD/fuzz-$l.log"; then
    echo "fuzz_$l found a failing input; see $BUILD/fuzz-$l.log" >&2
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$BUILD/fuzz-$l.log" || true
done
exit $status
