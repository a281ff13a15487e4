#!/usr/bin/env bash
# Installs the Debian packages Tavrel needs to build, test and run, when any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config make
  libgtest-dev libgmock-dev libbenchmark-dev
  libzstd-dev libsimpleini-dev libicu-dev
  qt6-base-dev fonts-noto-cjk
  libpng-dev libsquish-dev libstb-dev
  # sanitizer and libFuzzer run-time libraries; llvm-symbolizer for readable sanitizer reports
  libclang-rt-14-dev llvm
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
