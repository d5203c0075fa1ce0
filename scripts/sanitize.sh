#!/usr/bin/env bash
# Builds the libraries and tests with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the tests labelled "robust" (bad input:
# truncated and corrupted files, broken replies).
set -euo pipefail
QOD_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$QOD_ROOT/scripts/deps.sh"
BUILD=${QOD_ASAN_DIR:-$QOD_ROOT/build-asan}
echo "== sanitizer build in $BUILD"
qod_build "$BUILD" -DQOD_SANITIZE=ON -DQOD_BUILD_GUI=OFF -DQOD_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
echo "== robust tests under the sanitizers"
(cd "$BUILD" && ctest --output-on-failure --parallel "$(nproc)" -L robust --no-tests=ignore)
