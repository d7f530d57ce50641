# What the two Windows toolchains share: the mingw-w64 compilers of the posix
# thread model (the win32 model has no std::mutex in GCC 12) and the library
# prefix built by scripts/build-windows.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(QUORVEX_MINGW ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORVEX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORVEX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORVEX_MINGW}-windres)

# The prefix holds zlib, libpng, freetype, SDL, c-ares and GoogleTest as static
# libraries; try_compile projects need it too.
set(QUORVEX_PREFIXO_WINDOWS "" CACHE PATH "Prefix of the static Windows libraries")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVEX_PREFIXO_WINDOWS)
set(CMAKE_FIND_ROOT_PATH /usr/${QUORVEX_MINGW} ${QUORVEX_PREFIXO_WINDOWS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers from the prefix alone, never with the Linux libraries.
if(QUORVEX_PREFIXO_WINDOWS)
  set(ENV{PKG_CONFIG_LIBDIR} ${QUORVEX_PREFIXO_WINDOWS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# One program file with nothing to ship beside it: the C and C++ runtimes and
# winpthreads linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
