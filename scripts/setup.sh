#!/usr/bin/env bash
# Installs the Debian packages Quorvex needs to build, run and be tested, when
# they are missing. Safe to run again: it installs nothing that is there.
set -euo pipefail

PACKAGES=(
  # build
  g++ cmake make pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libsdl-gfx1.2-dev
  libpng-dev zlib1g-dev libx11-dev
  # reverse names
  libc-ares-dev
  # the fonts copied into fontes/
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation
  # running: dialogs, opening reports and links, a terminal for the tools screen
  zenity x11-utils xdg-utils xterm
  # tests and benchmarks
  libgtest-dev libbenchmark-dev xvfb xdotool imagemagick iproute2 util-linux
  # the Debian package: capabilities for naming every user's processes (libcap),
  # setcap for the tests, and the tools that inspect the package
  libcap-dev libcap2-bin lintian desktop-file-utils
  # the package's versioned library dependencies, and its AppStream metainfo
  dpkg-dev appstream
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# Another apt may be running (an unattended upgrade on a freshly started
# machine, another script): every call waits for its locks instead of failing.
# The lists' lock has no time-out of its own, so the update is tried again.
APT=(apt-get -o DPkg::Lock::Timeout=900)
for intento in $(seq 1 90); do
  $SUDO "${APT[@]}" update -qq && break
  [ "$intento" -eq 90 ] && exit 1
  sleep 10
done
$SUDO "${APT[@]}" install -y -qq --no-install-recommends "${missing[@]}"
