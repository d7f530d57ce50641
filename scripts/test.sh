#!/usr/bin/env bash
# Sets up, builds (warnings as errors) and runs every test: the Linux program's, then (in CI, with
# CI=true) the unit tests again under the sanitizers, then the Windows
# program's under Wine (scripts/test-windows.sh). QUORVEX_SEM_WINDOWS=1 leaves
# the Windows tests out of a quick local run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QUORVEX_WERROR=ON
scripts/build.sh
scripts/warm-up.sh
(cd build && ctest --output-on-failure --timeout 900 -j"$(nproc)")

# In CI the unit tests also run under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a second build folder; any finding fails.
if [ "${CI:-}" = "true" ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_ASAN=ON -DQUORVEX_WERROR=ON >/dev/null
  cmake --build build-asan -j"$(nproc)" --target quorvex_unit_tests
  (cd build-asan &&
    ASAN_OPTIONS=detect_leaks=1 \
    LSAN_OPTIONS="suppressions=$PWD/../tests/support/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --output-on-failure --timeout 900 -j"$(nproc)")
fi

if [ "${QUORVEX_SEM_WINDOWS:-}" != "1" ]; then
  scripts/test-windows.sh
fi
