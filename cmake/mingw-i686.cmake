# 32-bit Windows, cross-built with mingw-w64 (scripts/build-windows.sh).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
