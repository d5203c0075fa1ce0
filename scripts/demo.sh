#!/usr/bin/env bash
# Installs what is missing, builds, and runs the server's main job against
# the stand-in host, then starts the archive viewer against it, and says where
# the output is.
set -euo pipefail
QOD_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$QOD_ROOT/scripts/deps.sh"
qod_install_deps
BUILD=${QOD_BUILD_DIR:-$QOD_ROOT/build}
qod_build "$BUILD"

DEMO=${QOD_DEMO_DIR:-$QOD_ROOT/demo-run}
if [ ! -x "$BUILD/server/Qod_S" ] || [ ! -x "$BUILD/hostsim/qod_hostsim" ]; then
  echo "The server program and the stand-in host are not built yet: this demo"
  echo "cannot run the main job. What exists is the shared runtime; its tests run with"
  echo "scripts/test.sh."
  exit 0
fi
exec "$QOD_ROOT/scripts/demo-run.sh" "$BUILD" "$DEMO"
