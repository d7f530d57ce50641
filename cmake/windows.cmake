# The Windows build (cross-built with mingw-w64, see scripts/build-windows.sh):
# SDL and its add-ons from the static library prefix, under the same target
# name the Linux build gets from pkg-config, so the rest of the build does not
# know which system it builds for.

find_path(QUORVEX_SDL_INCLUDE SDL/SDL.h REQUIRED)
find_library(QUORVEX_SDL_LIB NAMES libSDL.a SDL REQUIRED)
find_library(QUORVEX_SDLMAIN_LIB NAMES libSDLmain.a SDLmain REQUIRED)
find_library(QUORVEX_PNG_LIB NAMES libpng16.a png16 png REQUIRED)
find_library(QUORVEX_Z_LIB NAMES libz.a z REQUIRED)
find_path(QUORVEX_FREETYPE_INCLUDE ft2build.h PATH_SUFFIXES freetype2 REQUIRED)
find_library(QUORVEX_FREETYPE_LIB NAMES libfreetype.a freetype REQUIRED)

# The oldest Windows the program runs on is Windows 7: the system's headers
# declare what it has and nothing newer (tests/package checks the program's
# imports against it).
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)

# What SDL and the program call on Windows.
set(QUORVEX_BIBLIOTECAS_WINDOWS
  iphlpapi ws2_32 shell32 ole32 winmm user32 gdi32 dxguid advapi32 version)

# The real SDL_image, SDL_ttf and SDL_gfx where the prefix has them; where it
# lacks one, our own stand-in in platform/shared/sdl_addons/ with the same
# header and calls. Debian serves no Windows build and no source of these
# three, so on a prefix built by scripts/build-windows.sh all three are ours.
set(QUORVEX_ADDONS ${CMAKE_SOURCE_DIR}/platform/shared/sdl_addons)
set(QUORVEX_ADDONS_PROPRIOS)
set(QUORVEX_ADDONS_CABECALHOS)
set(QUORVEX_ADDONS_REAIS)
foreach(addon IN ITEMS "SDL_image|SDL_image.h|image" "SDL_ttf|SDL_ttf.h|ttf_text"
                       "SDL_gfx|SDL_rotozoom.h|rotozoom lines")
  string(REPLACE "|" ";" partes "${addon}")
  list(GET partes 0 biblioteca)
  list(GET partes 1 cabecalho)
  list(GET partes 2 fontes)
  find_library(QUORVEX_${biblioteca}_LIB NAMES lib${biblioteca}.a ${biblioteca})
  find_path(QUORVEX_${biblioteca}_INCLUDE SDL/${cabecalho} NO_CACHE)
  if(QUORVEX_${biblioteca}_LIB AND QUORVEX_${biblioteca}_INCLUDE)
    list(APPEND QUORVEX_ADDONS_REAIS ${QUORVEX_${biblioteca}_LIB})
  else()
    # Each add-on's headers in a folder of its own, so ours never hide a real
    # one that the prefix has.
    list(APPEND QUORVEX_ADDONS_CABECALHOS ${QUORVEX_ADDONS}/${biblioteca})
    string(REPLACE " " ";" fontes "${fontes}")
    foreach(f ${fontes})
      list(APPEND QUORVEX_ADDONS_PROPRIOS ${QUORVEX_ADDONS}/${f}.cpp)
    endforeach()
  endif()
endforeach()
message(STATUS "SDL add-ons from the prefix: ${QUORVEX_ADDONS_REAIS}; our own: ${QUORVEX_ADDONS_CABECALHOS}")

add_library(PkgConfig::SDL INTERFACE IMPORTED)
if(QUORVEX_ADDONS_PROPRIOS)
  add_library(quorvex_sdl_addons STATIC ${QUORVEX_ADDONS_PROPRIOS})
  target_include_directories(quorvex_sdl_addons PUBLIC ${QUORVEX_ADDONS_CABECALHOS})
  target_include_directories(quorvex_sdl_addons PRIVATE ${QUORVEX_SDL_INCLUDE} ${QUORVEX_FREETYPE_INCLUDE})
  target_link_libraries(PkgConfig::SDL INTERFACE quorvex_sdl_addons)
endif()
set_target_properties(PkgConfig::SDL PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${QUORVEX_SDL_INCLUDE})
target_link_libraries(PkgConfig::SDL INTERFACE
  ${QUORVEX_ADDONS_REAIS} ${QUORVEX_SDL_LIB} ${QUORVEX_FREETYPE_LIB} ${QUORVEX_PNG_LIB}
  ${QUORVEX_Z_LIB} ${QUORVEX_BIBLIOTECAS_WINDOWS})

# c-ares from the prefix (its pkg-config file there says CARES_STATICLIB); the
# static library needs the Windows network libraries after it.
pkg_check_modules(CARES REQUIRED IMPORTED_TARGET libcares)
target_link_libraries(PkgConfig::CARES INTERFACE ${QUORVEX_BIBLIOTECAS_WINDOWS})

# The program: the GUI subsystem (no console window), entered through SDL's
# WinMain, which starts SDL and calls the program's start-up (see
# shell/main.cpp).
# Its icon resource is the generator's icon from the Linux build (see below).
enable_language(RC)
function(quorvex_programa_windows alvo)
  set_target_properties(${alvo} PROPERTIES WIN32_EXECUTABLE ON)
  target_link_libraries(${alvo} PRIVATE mingw32 ${QUORVEX_SDLMAIN_LIB})
  set(recurso ${CMAKE_SOURCE_DIR}/platform/windows/quorvex.rc)
  target_sources(${alvo} PRIVATE ${recurso})
  target_include_directories(${alvo} PRIVATE ${QUORVEX_RECURSOS}/icones)
  set_source_files_properties(${recurso} PROPERTIES OBJECT_DEPENDS ${QUORVEX_RECURSOS}/icones/quorvex.ico)
  # A program exports nothing: SDL's headers mark its calls for export from
  # a DLL, which the static library would otherwise carry into the program.
  target_link_options(${alvo} PRIVATE -Wl,--exclude-all-symbols)
endfunction()

# The run folder's images and fonts: drawn and copied by the Linux build
# (QUORVEX_RECURSOS, its build folder), since our image generator runs on the
# machine that builds.
set(QUORVEX_RECURSOS "${CMAKE_SOURCE_DIR}/build" CACHE PATH
    "Linux build folder whose bin/ and fontes/ the Windows run folder copies")
add_custom_target(quorvex_assets ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${QUORVEX_RECURSOS}/bin ${CMAKE_BINARY_DIR}/bin
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${QUORVEX_RECURSOS}/fontes ${CMAKE_BINARY_DIR}/fontes)
