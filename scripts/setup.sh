#!/usr/bin/env bash
# Installs every Debian package the native and Windows builds and their tests need.
# Idempotent: does nothing (no apt-get at all) when everything is already present.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  googletest libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386
  xvfb xauth x11-utils imagemagick
  locales
  time
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Russian locale: Wine takes its ANSI code page (1251) from it.
if ! locale -a 2>/dev/null | grep -qiE '^ru_RU\.utf-?8$'; then
  echo "setup: generating ru_RU.UTF-8"
  if [ -f /etc/locale.gen ] && grep -q 'ru_RU.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    $SUDO locale-gen >/dev/null
  else
    $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
  fi
fi
