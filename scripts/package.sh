#!/usr/bin/env bash
# Sets up, builds and makes the Debian package build/quorvex_<version>_<arch>.deb
# (install it with: sudo apt install ./build/quorvex_*.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build
cpack -G DEB
