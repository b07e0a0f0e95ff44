#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the programmer.
set -euo pipefail
packages=(build-essential cmake ninja-build qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev srecord binutils clang libclang-rt-14-dev xvfb xauth
          qt6-base-private-dev clang-format-14)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
