#!/usr/bin/env bash
# The Windows program loads on the oldest Windows it promises, Windows 7: every
# call it imports from the system's libraries is one that Windows 7 has, as the
# system's own headers tell when asked for Windows 7 (_WIN32_WINNT 0x0601: a
# call that came later is not declared). The C runtime's calls (msvcrt.dll,
# part of every Windows since long before) are left out. And the program
# exports nothing.
#
# Usage: program_imports_test.sh <objdump> <c++ compiler> <program.exe>
set -euo pipefail
OBJDUMP=$1 COMPILADOR=$2 PROGRAMA=$3
CABECALHO=$(mktemp)
FONTE=$(mktemp --suffix=.cpp)
trap 'rm -f "$CABECALHO" "$FONTE"' EXIT

"$OBJDUMP" -p "$PROGRAMA" >"$CABECALHO"

if grep -q "Export Tables" "$CABECALHO"; then
  echo "FAIL: the program exports:" >&2
  grep -A5 "Ordinal/Name Pointer" "$CABECALHO" >&2
  exit 1
fi

# "DLL Name: X" opens each library's list; its rows are "address hint name".
importadas=$(awk '/DLL Name:/ { dll = tolower($3); next }
  dll != "" && dll != "msvcrt.dll" && $1 ~ /^[0-9a-f]+$/ && $3 ~ /^[A-Za-z_][A-Za-z0-9_]*$/ { print $3 }' \
  "$CABECALHO" | sort -u)
if [ "$(echo "$importadas" | wc -w)" -lt 50 ]; then
  echo "FAIL: the import table was not read (objdump's layout changed?)" >&2
  exit 1
fi

{
  printf '#include <%s>\n' winsock2.h ws2tcpip.h windows.h mmsystem.h shlobj.h shellapi.h \
    tlhelp32.h psapi.h iphlpapi.h objbase.h
  for chamada in $importadas; do printf 'auto* ponteiro_%s = &%s;\n' "$chamada" "$chamada"; done
} >"$FONTE"

if ! erros=$("$COMPILADOR" -std=c++17 -fsyntax-only -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 \
  "$FONTE" 2>&1); then
  echo "FAIL: imported calls that Windows 7 does not have:" >&2
  echo "$erros" | grep -oE "[‘'][A-Za-z0-9_]+[’'] was not declared" >&2 || echo "$erros" >&2
  exit 1
fi
echo "$(echo "$importadas" | wc -w) imported calls, all in Windows 7; no exports"
