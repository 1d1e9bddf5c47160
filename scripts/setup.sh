#!/usr/bin/env bash
# Installs what building, running and testing Qel Paystave need on Debian (idempotent).
set -euo pipefail
packages=(
  build-essential cmake ninja-build clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-qpa-plugins
  poppler-utils xvfb xauth xdotool fonts-liberation fonts-dejavu-core time locales
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Two locales with other separators, for the number-conversion tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' || ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO sed -i 's/^# *\(de_DE.UTF-8\|fr_FR.UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
