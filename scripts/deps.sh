#!/usr/bin/env bash
# Installs the Debian packages Vantor needs to build, run and test, when any is missing.
# Quick when everything is present: it only asks dpkg.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14
  qt6-base-dev qt6-svg-dev qt6-image-formats-plugins
  libcgal-dev libgmp-dev libmpfr-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  hershey-fonts-data fonts-dejavu-core
  locales python3
  xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
