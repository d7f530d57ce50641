# 64-bit Windows, cross-built with mingw-w64 (scripts/build-windows.sh --64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
