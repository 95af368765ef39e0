#!/usr/bin/env bash
# Installs what building and testing Renovo needs on Debian 12; safe to run again.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  # The win32 thread model: its runtime imports nothing newer than Windows XP.
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  wine wine64 wine32:i386
  xvfb x11-utils imagemagick googletest fonts-ipafont-gothic cmake ninja-build g++ make locales
  # LZH: jlha makes the test archives; lhasa and bsdtar are the benchmark's peers; clang fuzzes.
  jlha-utils lhasa libarchive-tools clang libclang-rt-14-dev
  # renovo-disk --images writes FAT12 floppy images with mtools.
  mtools
)

have_all() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || return 1
  done
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

if ! have_all; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${packages[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
echo "setup: ready"
