#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12, when it
# is missing, and generates the it_IT.UTF-8 locale. Sourced by test.sh and demo.sh.
set -euo pipefail

QOD_PACKAGES=(
  clang libclang-rt-14-dev
  cmake ninja-build pkg-config g++ make git ca-certificates
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev qt6-translations-l10n
  libtiff-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev
  libfreetype-dev libfontconfig-dev fontconfig fonts-liberation2 fonts-unifont
  libzint-dev libcups2-dev cups-daemon cups-client
  qpdf poppler-utils libtiff-tools pngcheck zbar-tools img2pdf libxml2-utils
  locales python3
)

qod_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else
    echo "need root (or sudo) to run: $*" >&2; return 1; fi
}

qod_install_deps() {
  local missing=()
  for p in "${QOD_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    qod_sudo apt-get update -qq
    qod_sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$'; then
    echo "== generating the it_IT.UTF-8 locale"
    if [ -f /etc/locale.gen ]; then
      qod_sudo sed -i 's/^# *\(it_IT.UTF-8 UTF-8\)/\1/' /etc/locale.gen
      grep -q '^it_IT.UTF-8 UTF-8' /etc/locale.gen || echo 'it_IT.UTF-8 UTF-8' | qod_sudo tee -a /etc/locale.gen >/dev/null
      qod_sudo locale-gen >/dev/null
    else
      qod_sudo localedef -i it_IT -f UTF-8 it_IT.UTF-8
    fi
  fi
}

qod_build() {
  local dir=$1; shift
  cmake -S "$QOD_ROOT" -B "$dir" -G Ninja -DQOD_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}
