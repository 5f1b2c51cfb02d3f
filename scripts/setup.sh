#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (only those missing) and
# builds the project into build/. Safe to run again: it does only what is
# missing or out of date. Used by demo.sh and test.sh.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VT640_BUILD_DIR:-$here/build}"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev libqt6svg6-dev
  libqcustomplot-dev libasound2-dev libuemf-dev
  emf2svg libwmf-bin
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  libmosquitto-dev mosquitto mosquitto-clients openssl
  fonts-dejavu-core locales tzdata
  xvfb openbox xdotool python3
  desktop-file-utils appstream libxml2-utils groff-base shared-mime-info
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A decimal-comma locale, so the tests can show that numbers ignore it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ]; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
  fi
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VT640_CMAKE_ARGS:-}
fi
cmake --build "$build" -j"$(nproc)" ${VT640_TARGETS:+--target $VT640_TARGETS}
