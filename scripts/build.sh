#!/usr/bin/env bash
# Builds Quorvex and its run folder in build/ (build/quorvex, build/bin,
# build/fontes, build/config.xml). QUORVEX_WERROR=ON makes warnings errors.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_WERROR="${QUORVEX_WERROR:-OFF}" >/dev/null
cmake --build build -j"$(nproc)"
