#!/usr/bin/env bash
# Installs every Debian package Orvanta builds, runs and tests with. Idempotent:
# packages already present are not touched, so a second run costs a dpkg query.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libmagickcore-6.q16-dev libsndfile1-dev zlib1g-dev libdeflate-dev libminizip-dev
  libxml2-dev libproj-dev proj-data libasound2-dev libfontconfig-dev libssl-dev ca-certificates
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick x11-utils trayer xdotool
  vsftpd lighttpd lighttpd-mod-openssl openssl tinyproxy chrony dante-server python3-sgp4 python3-skyfield python3-ephem python3-numpy
  sox alsa-utils locales fonts-dejavu-core
  libxml2-utils chromium zip
  gmt gmt-gshhg-low proj-bin
)
packages+=("$@")  # what a caller needs besides (run.sh: the mixer the program starts)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Services such as vsftpd and chrony must not start at install time: tests start their own.
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
    $SUDO chmod +x /usr/sbin/policy-rc.d
    trap '$SUDO rm -f /usr/sbin/policy-rc.d' EXIT
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The number helpers are tested under a comma-decimal locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
