# The tests of the Windows build, run under Wine by scripts/test-windows.sh.
# Only the test files listed here are built: those that test the portable code
# through portable means (no fork, no /proc, no POSIX sockets), so what a
# Windows program does differently from the Linux one shows as a failure.

# Wine's own loader of the program's width (the `wine` wrapper always picks the
# 32-bit one when it is installed).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_program(QUORVEX_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
else()
  find_program(QUORVEX_WINE wine PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
endif()

# The test support, which reaches the system through the program's platform
# layer (so through quorvex_core, whose other parts a test links only when it
# calls them).
add_library(quorvex_test_base STATIC ${CMAKE_CURRENT_SOURCE_DIR}/support/test_support.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/test_support_windows.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/windowed_program_windows.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/platform_services.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/platform_services_windows.cpp)
target_link_libraries(quorvex_test_base PUBLIC PkgConfig::SDL GTest::gtest quorvex_core psapi)
target_include_directories(quorvex_test_base PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_SOURCE_DIR})
# The tests set and clear environment variables with the POSIX calls.
target_compile_options(quorvex_test_base PUBLIC
  -include ${CMAKE_CURRENT_SOURCE_DIR}/support/windows/posix_environment.h)
target_compile_definitions(quorvex_test_base PUBLIC
  QUORVEX_RUN_DIR="${CMAKE_BINARY_DIR}"
  QUORVEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_library(quorvex_test_support INTERFACE)
target_link_libraries(quorvex_test_support INTERFACE quorvex_test_base quorvex_core)

# (toolkit_images_test.cpp writes TGA and XPM pictures, which only the real
# SDL_image reads; the program's own pictures are PNG.)
set(WINDOWS_TESTS_shell toolkit_text_test.cpp menu_buttons_test.cpp)
set(WINDOWS_TESTS_monitor tables_rows_test.cpp tables_concurrency_test.cpp sweep_injected_test.cpp
  home_control_test.cpp panel_rows_test.cpp)
set(WINDOWS_TESTS_capture location_table_test.cpp multimedia_timer_test.cpp capture_injected_test.cpp)
set(WINDOWS_TESTS_output datetime_test.cpp radar_frames_test.cpp settings_test.cpp
  report_document_test.cpp)
set(WINDOWS_TESTS_assets fonts_test.cpp images_test.cpp map_test.cpp)

# scripts/test-windows.sh puts the whole run, Wine's server and services
# included, in a network namespace of its own: Wine reads the TCP table in the
# services' namespace, so one namespace per test program would not do.
# Tests that wait on a message box nobody closes are left out here: on Windows
# the message boxes of the table limit, of settings that could not be stored,
# of settings out of range and of a report that could not be written wait for
# the user, as they should. (On Windows the documents folder is looked up
# without being created: where it is missing the user is told so, and no report
# is written.)
set(WINDOWS_TESTS_FORA "Tabelas.LinhaQuinhentosEUmEncerraComAMensagem"
  "Tabelas.LimiteRodaARotinaDoScanAntesDaMensagem"
  "ArquivoDeConfiguracaoFatal.ValoresForaDaFaixaEncerram"
  "ArquivoDeConfiguracao.AlteracaoSemLinhaOuComDuasLinhas"
  "ArquivoDeConfiguracao.AlteracaoQueFalhaDeixaOArquivoIntacto"
  "ArquivoDeConfiguracao.LinhasEArquivosLidosComLimite"
  "Relatorio.PastaImpossivelAvisaENaoEscreveNada"
  "Relatorio.SemPastaDeDocumentosNadaEEscrito"
  "Relatorio.DocumentosAusenteECriadoComAsPastasDoRelatorio")
string(REPLACE ";" ":" WINDOWS_TESTS_FORA "${WINDOWS_TESTS_FORA}")

function(quorvex_teste_windows nome suporte)
  add_executable(${nome} ${ARGN})
  target_link_libraries(${nome} PRIVATE ${suporte} GTest::gtest_main)
  set_target_properties(${nome} PROPERTIES CROSSCOMPILING_EMULATOR ${QUORVEX_WINE})
  gtest_discover_tests(${nome}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_FILTER "-${WINDOWS_TESTS_FORA}"
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy" TIMEOUT 300 LABELS windows)
endfunction()

foreach(area shell monitor capture output assets)
  set(arquivos)
  foreach(f ${WINDOWS_TESTS_${area}})
    list(APPEND arquivos ${CMAKE_CURRENT_SOURCE_DIR}/${area}/${f})
  endforeach()
  quorvex_teste_windows(${area}_tests quorvex_test_support ${arquivos})
endforeach()

# What the program relies on from SDL_image, SDL_ttf and SDL_gfx, whichever the
# build got; the program's own code is not needed for it.
quorvex_teste_windows(addons_tests quorvex_test_base ${CMAKE_CURRENT_SOURCE_DIR}/addons/addons_test.cpp)

# The platform layer's tests: each service's shared file, built for Linux too,
# and its Windows file.
set(PLATFORM_WINDOWS_TESTS clock_test.cpp files_test.cpp files_windows_test.cpp folders_test.cpp
  folders_windows_test.cpp launcher_test.cpp launcher_windows_test.cpp message_windows_test.cpp
  name_resolver_test.cpp processes_test.cpp processes_windows_test.cpp
  signals_windows_test.cpp tcp_table_test.cpp tcp_table_windows_test.cpp timer_test.cpp
  timer_windows_test.cpp)
list(TRANSFORM PLATFORM_WINDOWS_TESTS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/platform/)
quorvex_teste_windows(platform_tests quorvex_test_support ${PLATFORM_WINDOWS_TESTS})

# The whole program under Wine: start-up, one scan, its report.
quorvex_teste_windows(e2e_windows_tests quorvex_test_support
  ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows/program_windows_test.cpp)
add_dependencies(e2e_windows_tests quorvex quorvex_assets)

# The program file itself, read on this machine: it imports only what the
# oldest Windows it promises (7) has, and exports nothing.
add_test(NAME ProgramaWindows.ImportaSoOQueOWindows7TemENaoExportaNada
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows/program_imports_test.sh
    ${CMAKE_OBJDUMP} ${CMAKE_CXX_COMPILER} $<TARGET_FILE:quorvex>)
set_tests_properties(ProgramaWindows.ImportaSoOQueOWindows7TemENaoExportaNada PROPERTIES LABELS windows)
