#!/usr/bin/env bash
# Cross-builds Quorvex for Windows with mingw-w64: build-windows/quorvex.exe
# (32-bit, static, GUI subsystem) with its run folder (bin/, fontes/,
# config.xml) and a zip of that folder. `--64` builds the 64-bit program in
# build-windows64/ instead.
#
# The libraries come from Debian's source packages (zlib, libpng1.6, freetype,
# libsdl1.2, c-ares; GoogleTest for the tests) and are built as static mingw
# libraries into a prefix inside the build folder. The prefix is kept and built
# again only when this script or a source version changes.
#
# `--sem-programa` stops after configuring and building the program's library,
# for test-windows.sh, which builds its own targets.
set -euo pipefail
cd "$(dirname "$0")/.."
RAIZ=$PWD

ARQ=i686
PASTA=build-windows
SO_PREFIXO=0
while [ $# -gt 0 ]; do
  case "$1" in
    --64) ARQ=x86_64; PASTA=build-windows64 ;;
    --sem-programa) SO_PREFIXO=1 ;;
    *) echo "uso: $0 [--64] [--sem-programa]" >&2; exit 2 ;;
  esac
  shift
done
HOST=$ARQ-w64-mingw32
PREFIXO=$RAIZ/$PASTA/prefixo
FONTES_DEB=$RAIZ/$PASTA/fontes-debian
JOBS=2

# ---- Packages ---------------------------------------------------------------

PACOTES=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine wine32 wine64
  zip dpkg-dev cmake make pkg-config googletest
)
FONTES=(zlib libpng1.6 freetype libsdl1.2 c-ares)

APT=(apt-get -o DPkg::Lock::Timeout=900 -y -qq)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

# Other engineers and scripts run apt at the same time: the lists lock has no
# timeout of its own, so update retries while another update holds it.
atualizar_listas() {
  for _ in $(seq 1 90); do
    if $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq; then return 0; fi
    sleep 10
  done
  return 1
}

faltando() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# Source entries for the archives this machine is already configured to use:
# each binary ("deb") entry of its own lists, copied as a source ("deb-src")
# one with the same addresses, suites, components and keys. Nothing else is
# added, so the sources come from wherever the machine's packages come from.
LISTA_FONTES=/etc/apt/sources.list.d/quorvex-fontes.sources
LISTA_FONTES_LINHAS=/etc/apt/sources.list.d/quorvex-fontes.list
entradas_de_fontes() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$LISTA_FONTES" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Enabled:[ \t]*no/ { next }
         {
           n = split($0, linhas, "\n"); binario = 0; saida = ""
           for (i = 1; i <= n; i++) {
             if (linhas[i] ~ /^Types:/) {
               binario = (" " substr(linhas[i], 7) " ") ~ /[ \t]deb[ \t]/
               linhas[i] = "Types: deb-src"
             }
             saida = saida (i > 1 ? "\n" : "") linhas[i]
           }
           if (binario) print saida
         }' "$f"
  done >"$1"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && [ "$f" != "$LISTA_FONTES_LINHAS" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$f"
  done >"$2"
}

instalar_entrada() {
  local nova=$1 destino=$2
  if [ -s "$nova" ] && ! cmp -s "$nova" "$destino" 2>/dev/null; then
    $SUDO cp "$nova" "$destino"
    return 0
  fi
  return 1
}

instalar_pacotes() {
  local precisa_atualizar=0 temporaria
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    precisa_atualizar=1
  fi
  temporaria=$(mktemp -d)
  entradas_de_fontes "$temporaria/sources" "$temporaria/list"
  instalar_entrada "$temporaria/sources" "$LISTA_FONTES" && precisa_atualizar=1
  instalar_entrada "$temporaria/list" "$LISTA_FONTES_LINHAS" && precisa_atualizar=1
  rm -rf "$temporaria"
  [ -n "$(apt-cache showsrc zlib 2>/dev/null | head -1)" ] || precisa_atualizar=1
  mapfile -t ausentes < <(faltando "${PACOTES[@]}")
  [ ${#ausentes[@]} -eq 0 ] && [ $precisa_atualizar -eq 0 ] && return 0
  atualizar_listas
  [ ${#ausentes[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${ausentes[*]}"
  $SUDO "${APT[@]}" install --no-install-recommends "${ausentes[@]}"
}

# ---- The library prefix -----------------------------------------------------

versao_fonte() {
  apt-cache showsrc "$1" | awk '/^Version:/ {print $2; exit}'
}

# What each library of the prefix is built from: its build steps in this
# script, its source version, the toolchain, and what it links against. A
# library whose fingerprint changed is built again; the others are kept.
declare -A PACOTE_DE=([zlib]=zlib [libpng]=libpng1.6 [freetype]=freetype [sdl]=libsdl1.2
  [c_ares]=c-ares [googletest]=googletest)
declare -A DEPENDE_DE=([libpng]=zlib [freetype]=zlib)
impressao_de() {
  local passo=$1
  {
    declare -f "construir_$passo" obter_fonte configurar_autotools construir_com_cmake
    cat "$RAIZ/cmake/mingw-common.cmake" "$RAIZ/cmake/mingw-$ARQ.cmake"
    dpkg-query -W -f='${Version}\n' "g++-mingw-w64-${ARQ//_/-}"
    if [ "$passo" = googletest ]; then
      dpkg-query -W -f='${Version}\n' googletest
    else
      versao_fonte "${PACOTE_DE[$passo]}"
    fi
    local dependencia=${DEPENDE_DE[$passo]:-}
    [ -z "$dependencia" ] || cat "$PREFIXO/.impressao-$dependencia"
  } | sha256sum | cut -d' ' -f1
}

# Unpacks Debian's source of package $1 into $FONTES_DEB and prints its folder.
obter_fonte() {
  local pacote=$1 versao
  mkdir -p "$FONTES_DEB"
  # The newest version first; where an archive lists a source it does not
  # serve (a security archive without its sources), the next one is taken.
  for versao in $(apt-cache showsrc "$pacote" | awk '/^Version:/ {print $2}' | sort -u -r -V); do
    if (cd "$FONTES_DEB" && apt-get source -qq "$pacote=$versao" >&2); then
      versao=${versao#*:}
      echo "$FONTES_DEB/$pacote-${versao%-*}"
      return 0
    fi
  done
  echo "apt-get source $pacote failed" >&2
  return 1
}

# The autotools configure of a Debian source, static only, into the prefix,
# with the same (posix thread model) compiler as the program.
configurar_autotools() {
  PKG_CONFIG_LIBDIR="$PREFIXO/lib/pkgconfig" PKG_CONFIG_PATH="" ./configure --host="$HOST" --prefix="$PREFIXO" --disable-shared --enable-static \
    CC="$HOST-gcc-posix" CPPFLAGS="-I$PREFIXO/include" LDFLAGS="-L$PREFIXO/lib" "$@"
}

construir_zlib() {
  cd "$(obter_fonte zlib)"
  CHOST=$HOST CC="$HOST-gcc-posix" ./configure --static --prefix="$PREFIXO"
  make -j$JOBS libz.a
  make install
}

construir_libpng() {
  cd "$(obter_fonte libpng1.6)"
  configurar_autotools
  make -j$JOBS
  make install
}

construir_freetype() {
  cd "$(obter_fonte freetype)"
  # Only the TrueType outlines of our fonts are read: no bitmap-font formats,
  # no shaping. Its gzip support links the prefix's zlib (its own copy of
  # zlib's code would clash with libpng's zlib in the program).
  configurar_autotools --enable-freetype-config --with-zlib=yes --with-bzip2=no \
    --with-png=no --with-harfbuzz=no --with-brotli=no
  make -j$JOBS
  make install
}

construir_sdl() {
  cd "$(obter_fonte libsdl1.2)"
  # Standard output stays where the caller sends it, so tests under Wine and a
  # user who starts the program from a console see its diagnostic lines. The
  # calls are not marked for export (DECLSPEC empty): SDL's headers mark them
  # for a DLL, and the static library would carry them into the program's
  # export table.
  configurar_autotools --disable-nasm --disable-stdio-redirect \
    CPPFLAGS="-I$PREFIXO/include -DDECLSPEC="
  make -j$JOBS
  make install
}

# A CMake project into the prefix with the program's toolchain.
construir_com_cmake() {
  local fonte=$1 pasta=$2
  shift 2
  cmake -S "$fonte" -B "$pasta" -DCMAKE_TOOLCHAIN_FILE="$RAIZ/cmake/mingw-$ARQ.cmake" \
    -DCMAKE_INSTALL_PREFIX="$PREFIXO" -DCMAKE_BUILD_TYPE=Release "$@"
  cmake --build "$pasta" -j$JOBS
  cmake --install "$pasta"
}

# c-ares with its CMake build, whose configure is quicker than its autotools
# one; static only (its pkg-config file then says CARES_STATICLIB). Its
# inet_net_pton.c (1.18) uses INADDRSZ, which only a system's arpa/nameser.h
# defines and Windows has none: the size of an IPv4 address is given here.
construir_c_ares() {
  local fonte
  fonte=$(obter_fonte c-ares)
  construir_com_cmake "$fonte" "$fonte/construcao" -DCARES_STATIC=ON -DCARES_SHARED=OFF \
    -DCARES_BUILD_TOOLS=OFF -DCARES_BUILD_TESTS=OFF -DCMAKE_C_FLAGS=-DINADDRSZ=4
}

construir_googletest() {
  construir_com_cmake /usr/src/googletest "$FONTES_DEB/googletest" -DBUILD_GMOCK=OFF
}

construir_prefixo() {
  local passo registro impressao inicio
  mkdir -p "$PREFIXO"
  for passo in zlib libpng freetype sdl c_ares googletest; do
    impressao=$(impressao_de "$passo")
    if [ "$(cat "$PREFIXO/.impressao-$passo" 2>/dev/null)" = "$impressao" ]; then
      continue
    fi
    echo "Building $passo for Windows ($ARQ) from Debian's source into $PREFIXO"
    inicio=$SECONDS
    rm -rf "$FONTES_DEB" "$PREFIXO/.impressao-$passo"
    registro=$RAIZ/$PASTA/construir_$passo.log
    # In the background so that errexit holds inside (an `if` would lift it).
    (set -x; construir_$passo) >"$registro" 2>&1 &
    if ! wait $!; then
      tail -40 "$registro"
      echo "Building $passo failed; its log is $registro" >&2
      return 1
    fi
    rm -rf "$FONTES_DEB"
    echo "$impressao" >"$PREFIXO/.impressao-$passo"
    echo "  $passo built in $((SECONDS - inicio)) s"
  done
}

# ---- The program ------------------------------------------------------------

# The images are drawn by our generator, built for and run on this machine; the
# fonts come from Debian's font packages. Both are made by the Linux build.
recursos_do_linux() {
  scripts/setup.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j$JOBS --target quorvex_assets
}

configurar() {
  cmake -S . -B "$PASTA" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$RAIZ/cmake/mingw-$ARQ.cmake" \
    -DQUORVEX_PREFIXO_WINDOWS="$PREFIXO" \
    -DQUORVEX_RECURSOS="$RAIZ/build" -DQUORVEX_WERROR="${QUORVEX_WERROR:-OFF}" >/dev/null
}

# The run folder as a user gets it: Quorvex/ with the program, bin/, fontes/,
# config.xml and a LEIA-ME.txt that says which Windows it needs.
empacotar() {
  local pacote=$RAIZ/$PASTA/pacote
  local zip_final=$RAIZ/$PASTA/quorvex-windows-$ARQ.zip
  rm -rf "$pacote" "$zip_final"
  mkdir -p "$pacote/Quorvex"
  cp -r "$PASTA/bin" "$PASTA/fontes" "$PASTA/config.xml" "$pacote/Quorvex/"
  printf 'Quorvex para Windows\r\n\r\nRequer o Windows 7 ou mais recente (32 ou 64 bits).\r\nDescompacte a pasta Quorvex em qualquer lugar e execute quorvex.exe nela.\r\n' \
    >"$pacote/Quorvex/LEIA-ME.txt"
  # The user's copy without the debugging information.
  "$HOST-strip" -o "$pacote/Quorvex/quorvex.exe" "$PASTA/quorvex.exe"
  (cd "$pacote" && zip -qr "$zip_final" Quorvex)
  rm -rf "$pacote"
  echo "$zip_final"
}

instalar_pacotes
construir_prefixo
recursos_do_linux
configurar
if [ $SO_PREFIXO -eq 1 ]; then
  cmake --build "$PASTA" -j$JOBS --target quorvex_core
  exit 0
fi
cmake --build "$PASTA" -j$JOBS --target quorvex
empacotar
