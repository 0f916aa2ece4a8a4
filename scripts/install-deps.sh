#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Quick when all are present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev libsqlite3-dev sqlite3
  postgresql libpq-dev
  fontconfig libfontconfig-dev libfreetype-dev fonts-urw-base35
  libqpdf-dev libtiff-dev
  clang-14 libclang-rt-14-dev
  python3 bubblewrap zsh time
  qt6-base-dev qt6-wayland xvfb xdotool x11-apps netpbm weston
  ghostscript
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
