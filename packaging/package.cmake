# Installing Quorvex like a desktop program on Linux: `cmake --install` and the
# Debian package made by CPack (scripts/package.sh).
#   <prefix>/lib/quorvex        the program and its run folder: bin/, fontes/, config.xml,
#                               and quorvex-helper, the one part that may hold capabilities
#   <prefix>/bin/quorvex        the launcher that starts the program from there
#   <prefix>/share/applications the desktop entry
#   <prefix>/share/metainfo     what software centres show (AppStream)
#   <prefix>/share/icons/hicolor the icon at 48, 128 and 256 pixels
# Nothing is written into the run folder at run time: the settings and the
# reports live in the user's own folders.

set(QUORVEX_VERSAO ${PROJECT_VERSION})
set(PASTA_DE_EXECUCAO lib/quorvex)
set(PACOTE_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(PACOTE_GERADO ${CMAKE_BINARY_DIR}/pacote)

# ---- files made at configure time --------------------------------------------
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PACOTE_DIR}/changelog ${PACOTE_DIR}/quorvex.1)

# Debian wants the changelog and the manual page compressed without a timestamp.
file(MAKE_DIRECTORY ${PACOTE_GERADO})
foreach(arquivo changelog quorvex.1)
  execute_process(COMMAND gzip -9n -c ${PACOTE_DIR}/${arquivo}
    OUTPUT_FILE ${PACOTE_GERADO}/${arquivo}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# ---- install rules ------------------------------------------------------------
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Installing does not rebuild the tests and benchmarks; scripts/package.sh builds first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS quorvex RUNTIME DESTINATION ${PASTA_DE_EXECUCAO})
# ---- the helper that alone may hold capabilities -------------------------------
# Shipped 0755 root:root like any program; the postinst gives it to the group
# quorvex, mode 0750, and its capabilities when the administrator allows them.
install(TARGETS quorvex_helper RUNTIME DESTINATION ${PASTA_DE_EXECUCAO})
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin DESTINATION ${PASTA_DE_EXECUCAO}
  FILES_MATCHING PATTERN "A00[0-9][0-9].bin")
install(FILES ${CMAKE_SOURCE_DIR}/config.xml DESTINATION ${PASTA_DE_EXECUCAO})

# The fonts are Debian's own (the package depends on their packages): fontes/
# holds links to them, relative within the prefix.
get_directory_property(FONTES_DO_SISTEMA DIRECTORY ${CMAKE_SOURCE_DIR}/assets DEFINITION FONT_SOURCES)
set(indice 1)
foreach(fonte ${FONTES_DO_SISTEMA})
  install(CODE "
    set(pasta \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${PASTA_DE_EXECUCAO}/fontes\")
    file(RELATIVE_PATH alvo \"\${CMAKE_INSTALL_PREFIX}/${PASTA_DE_EXECUCAO}/fontes\" \"${fonte}\")
    file(MAKE_DIRECTORY \"\${pasta}\")
    message(STATUS \"Installing: \${pasta}/Fonte_0${indice}.ttf -> \${alvo}\")
    file(CREATE_LINK \"\${alvo}\" \"\${pasta}/Fonte_0${indice}.ttf\" SYMBOLIC)")
  math(EXPR indice "${indice} + 1")
endforeach()

install(PROGRAMS ${PACOTE_DIR}/quorvex DESTINATION bin)

# ---- the menu entry and the software centres' metainfo -------------------------
# The desktop entry is made at install time for the prefix it goes to: under
# /usr and /usr/local the menu finds the launcher and the icon by name; under
# any other prefix (a per-user `cmake --install build --prefix ~/.local`,
# whose bin/ the desktop session may not have on its PATH) by full path.
install(CODE "
  set(prefixo \"\${CMAKE_INSTALL_PREFIX}\")
  if(prefixo STREQUAL \"/usr\" OR prefixo STREQUAL \"/usr/local\")
    set(ENTRADA_EXEC quorvex)
    set(ENTRADA_ICONE quorvex)
  else()
    set(ENTRADA_EXEC \"\${prefixo}/bin/quorvex\")
    set(ENTRADA_ICONE \"\${prefixo}/share/icons/hicolor/256x256/apps/quorvex.png\")
  endif()
  set(destino \"\$ENV{DESTDIR}\${prefixo}/share/applications/quorvex.desktop\")
  message(STATUS \"Installing: \${destino}\")
  configure_file(\"${PACOTE_DIR}/quorvex.desktop\" \"\${destino}\" @ONLY)
  file(CHMOD \"\${destino}\" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)")
install(FILES ${PACOTE_DIR}/com.brellstad.quorvex.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icones/ DESTINATION share/icons/hicolor
  FILES_MATCHING PATTERN "*.png")
install(FILES ${PACOTE_GERADO}/quorvex.1.gz DESTINATION share/man/man1)
install(FILES ${PACOTE_DIR}/copyright ${PACOTE_GERADO}/changelog.gz DESTINATION share/doc/quorvex)

# ---- the Debian package ---------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvex)
set(CPACK_PACKAGE_VERSION ${QUORVEX_VERSAO})
set(CPACK_PACKAGE_VENDOR Brellstad)
set(CPACK_PACKAGE_CONTACT "Brellstad <quorvex@brellstad.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch this computer's network connections on a world map")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvex reads the system's table of established IPv4 TCP connections up to\n\
twenty times a second during a scan, names the process and executable that own\n\
each connection, resolves the remote address by reverse DNS, places it on a\n\
world map under a turning radar, lists it on a panel and writes an HTML report\n\
when the scan ends. Its window and texts are in Portuguese.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The package is staged with DESTDIR, so the font links are made for /usr.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.brellstad.com")
# The libraries the program and the helper link (the C and C++ run-time, SDL
# 1.2 and its image, font and drawing libraries, c-ares, libcap for the helper)
# come from dpkg-shlibdeps, each with the least version they need. Named here is
# what no library link shows: setcap for the postinst, the fonts that fontes/
# links to, a dialog program, and xdg-open for reports and web pages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libcap2-bin, fonts-dejavu-core, fonts-dejavu-extra, fonts-liberation, zenity | x11-utils, \
xdg-utils")
# ---- who may name every user's processes (debconf, the group quorvex) ----------
# The question in English with its Portuguese translation (templates), asked by
# config; the postinst applies the answer and postrm forgets it on purge.
# debconf for the question, adduser for the group, libcap2-bin for setcap.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, debconf (>= 0.5) | debconf-2.0, adduser")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PACOTE_DIR}/config ${PACOTE_DIR}/templates ${PACOTE_DIR}/postinst ${PACOTE_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
