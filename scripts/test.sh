#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (also under the
# Italian locale). Exits non-zero on any failure.
set -euo pipefail
QOD_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$QOD_ROOT/scripts/deps.sh"
qod_install_deps

BUILD=${QOD_BUILD_DIR:-$QOD_ROOT/build}
echo "== building in $BUILD"
qod_build "$BUILD"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
echo "== tests (C locale)"
(cd "$BUILD" && LC_ALL=C.UTF-8 ctest --output-on-failure --parallel "$jobs" --no-tests=error)
echo "== tests (it_IT.UTF-8)"
(cd "$BUILD" && LC_ALL=it_IT.UTF-8 LANG=it_IT.UTF-8 ctest --output-on-failure --parallel "$jobs" --no-tests=error)

if [ -x "$QOD_ROOT/scripts/sanitize.sh" ] && [ "${QOD_SKIP_SANITIZE:-0}" != 1 ]; then
  "$QOD_ROOT/scripts/sanitize.sh"
fi
echo "== all tests passed"
