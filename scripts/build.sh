#!/usr/bin/env bash
# Builds Quorvex and its run folder in build/ (build/quorvex, build/bin,
# build/fontes, build/config.xml).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
