#!/usr/bin/env bash
# Builds the Windows program and its tests with scripts/build-windows.sh and
# runs the tests under Wine, on a virtual X display (Xvfb), in a network
# namespace of their own with only the loopback up.
#
# The tests run the 32-bit build where this machine can run 32-bit Wine, and
# the 64-bit build (same sources) where it cannot: a kernel without 32-bit
# compatibility (some virtual machines) starts no 32-bit Linux program, and so
# not Wine's 32-bit loader. The 32-bit program and its zip are built either way.
#
# Wine's services (among them the one that reads the TCP table) read the
# network namespace they were started in, so the Wine server and its services
# start inside the tests' namespace, once for the whole run: every test program
# shares that namespace, one program at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
RAIZ=$PWD
WINE_DIR=/usr/lib/wine

wine_32_bits_funciona() {
  [ -x "$WINE_DIR/wine" ] && "$WINE_DIR/wine" --version >/dev/null 2>&1
}

preparar() {
  scripts/build-windows.sh
  if wine_32_bits_funciona; then
    PASTA=build-windows
  else
    echo "Wine's 32-bit loader cannot run on this machine: the tests run the 64-bit build."
    scripts/build-windows.sh --64
    PASTA=build-windows64
  fi
  cmake --build "$PASTA" -j2
}

# ---- Inside the tests' namespace --------------------------------------------

TELA_PID=""
encerrar() {
  "$WINE_DIR/wineserver" -k 2>/dev/null || true
  [ -n "$TELA_PID" ] && kill "$TELA_PID" 2>/dev/null && wait "$TELA_PID" 2>/dev/null
  return 0
}

iniciar_tela() {
  local fifo numero
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  TELA_PID=$!
  read -r -t 30 numero <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$numero"
}

executar_testes() {
  local pasta=$1
  if ip link set lo up 2>/dev/null; then
    export QUORVEX_REDE_PRIVADA=1
  fi
  trap encerrar EXIT
  iniciar_tela
  export WINEPREFIX=$RAIZ/$pasta/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$pasta" = build-windows64 ]; then
    export WINELOADER=$WINE_DIR/wine64 WINEARCH=win64
  else
    export WINELOADER=$WINE_DIR/wine WINEARCH=win32
  fi
  mkdir -p "$WINEPREFIX"
  "$WINE_DIR/wineserver" -p
  # Starting Wine's services before ctest keeps test discovery from waiting on
  # a pipe the services would inherit.
  "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1
  cd "$RAIZ/$pasta"
  ctest --output-on-failure --timeout 900
}

if [ "${1:-}" = "--dentro" ]; then
  executar_testes "$2"
  exit
fi

preparar
if unshare -n true 2>/dev/null; then
  exec unshare -n "$0" --dentro "$PASTA"
fi
echo "No private network namespace here: the tests that open connections skip."
exec "$0" --dentro "$PASTA"
