#!/usr/bin/env bash
# Installs what building and testing Renovo needs on Debian 12; safe to run again.
# With --packages it only lists them.
# Package registries have bad days (an index mid-sync, an i386 twin missing): an index that
# will not download is retried and then done without, and 32-bit Wine is the one package the
# tests can spare. Everything else missing fails set-up with one clear line.
set -uo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
RETRIES=${RENOVO_SETUP_RETRIES:-3}
PAUSE=${RENOVO_SETUP_PAUSE:-10}

packages=(
  # The win32 thread model: its runtime imports nothing newer than Windows XP.
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  wine wine64
  xvfb x11-utils imagemagick googletest fonts-ipafont-gothic cmake ninja-build g++ make locales
  # LZH: jlha makes the test archives; lhasa and bsdtar are the benchmark's peers; clang fuzzes.
  jlha-utils lhasa libarchive-tools clang libclang-rt-14-dev
  # renovo-disk --images writes FAT12 floppy images with mtools; --sign signs with osslsigncode.
  mtools osslsigncode openssl
)
# Runs the i686 build under Wine; without it the x86_64 build is tested instead.
wine32=wine32:i386
if [ "${1:-}" = --packages ]; then printf '%s\n' "${packages[@]}" "$wine32"; exit 0; fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing_of() {
  local p
  for p in "$@"; do installed "$p" || echo "$p"; done
}

apt() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get "$@"
}

# apt-get update exits non-zero when any one index fails, yet keeps every list it did fetch.
update_indexes() {
  local try
  for try in $(seq 1 "$RETRIES"); do
    apt update -q && return 0
    if [ "$try" -lt "$RETRIES" ]; then
      echo "setup: a package index did not download; trying again in $PAUSE s ($try of $RETRIES)"
      sleep "$PAUSE"
    fi
  done
  echo "setup: a package index still did not download; going on with the lists that did"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386 || { echo "setup: cannot add the i386 architecture"; exit 1; }
fi

mapfile -t needed < <(missing_of "${packages[@]}")
if [ "${#needed[@]}" -gt 0 ]; then
  update_indexes
  if ! apt install -y -q --no-install-recommends "${needed[@]}"; then
    mapfile -t still < <(missing_of "${needed[@]}")
    echo "setup: failed: cannot install ${still[*]:-${needed[*]}}; building and testing need them"
    exit 1
  fi
fi

# A refusal is remembered for a day: asking apt again costs ~20 s on every test run.
wine32_refused=${RENOVO_SETUP_STAMP:-/var/tmp/renovo-setup-wine32-refused}
if ! installed "$wine32"; then
  if [ -z "$(find "$wine32_refused" -mmin -1440 2>/dev/null)" ] &&
     apt install -y -q --no-install-recommends "$wine32" >/tmp/renovo-setup-wine32.log 2>&1; then
    rm -f "$wine32_refused"
  else
    touch "$wine32_refused" 2>/dev/null || true
    echo "setup: $wine32 cannot be installed: 32-bit Windows programs will not run, the x86_64 build will be tested"
  fi
fi

# Japanese for the suite's code page 932; English (1252) and Hindi (a Unicode-only locale,
# which Wine takes as 65001) for the runs that show the program does not depend on it.
for loc in ja_JP en_US hi_IN; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$"; then
    $SUDO sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null || { echo "setup: failed: cannot generate the $loc.UTF-8 locale"; exit 1; }
  fi
done
echo "setup: ready"
