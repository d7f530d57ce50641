# Debian's hardening for every binary built here (the program, its helper, the
# tools and tests alike): the flags dpkg-buildflags gives with hardening=+all,
# which are FORTIFY_SOURCE, the stack protector, full RELRO with BIND_NOW and
# PIE. The build type keeps its own optimisation and debugging flags. Left out
# of the sanitizer builds, which FORTIFY's checks would duplicate.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS AND NOT QUORVEX_ASAN AND NOT QUORVEX_TSAN)
  foreach(tipo CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${DPKG_BUILDFLAGS} --get ${tipo}
      OUTPUT_VARIABLE bandeiras OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(bandeiras UNIX_COMMAND "${bandeiras}")
    list(FILTER bandeiras EXCLUDE REGEX "^-g$|^-O[0-9s]?$|^-ffile-prefix-map=")
    if(tipo STREQUAL "LDFLAGS")
      add_link_options(${bandeiras})
    else()
      add_compile_options(${bandeiras})
    endif()
  endforeach()
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
