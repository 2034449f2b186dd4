# The Windows program and its tests, from the native build: the MinGW-w64 cross build runs as an
# external project in windows/, and its tests run under Wine in a prefix of their own.
option(QUENLO_WINDOWS "Cross-build and test the Windows program when MinGW-w64 is there" ON)
if(NOT QUENLO_WINDOWS)
  return()
endif()
find_program(QUENLO_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(NOT QUENLO_MINGW_CXX)
  message(STATUS "No MinGW-w64 (g++-mingw-w64-x86-64-posix): the Windows program is not built")
  return()
endif()

include(ExternalProject)
set(windows_dir ${CMAKE_BINARY_DIR}/windows)
set(windows_program ${windows_dir}/quenlo.exe)
set(windows_check ${windows_dir}/quenlo-check.exe)
set(windows_launcher ${windows_dir}/tests/launcher.exe)
set(windows_text_metrics ${windows_dir}/tests/text_metrics.exe)
set(windows_terminal_cells ${windows_dir}/tests/terminal_cells.exe)
ExternalProject_Add(quenlo_windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${windows_dir}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
             -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${windows_program} ${windows_check} ${windows_launcher} ${windows_text_metrics}
                   ${windows_terminal_cells})

add_test(NAME windows_program_is_gui_small_and_self_contained
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_pe.sh ${windows_program} gui 32768)
add_test(NAME windows_check_is_console_and_self_contained
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_pe.sh ${windows_check} console)
set_tests_properties(windows_program_is_gui_small_and_self_contained
                     windows_check_is_console_and_self_contained PROPERTIES LABELS windows)
add_test(NAME windows_build_is_reproducible
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_reproducible.sh ${PROJECT_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR}/reproducible)
set_tests_properties(windows_build_is_reproducible PROPERTIES LABELS windows TIMEOUT 600)

# The Windows zip: exactly its files, and the user's guide with Windows' line ends.
add_test(NAME windows_zip
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_zip.sh ${windows_dir} ${PROJECT_VERSION})
set_tests_properties(windows_zip PROPERTIES LABELS windows)

find_program(QUENLO_WINE wine)
find_program(QUENLO_WINESERVER wineserver)
if(NOT QUENLO_WINE OR NOT QUENLO_WINESERVER)
  message(STATUS "No Wine (wine, wine64): the Windows program is built but not run")
  return()
endif()

# One prefix for all the Wine tests, made before the first and shut down after the last.
set(prefix ${CMAKE_BINARY_DIR}/wine-prefix)
set(prefix_script ${CMAKE_CURRENT_SOURCE_DIR}/wine/prefix.sh)
add_test(NAME wine_prefix_start COMMAND sh ${prefix_script} start ${prefix})
set_tests_properties(wine_prefix_start PROPERTIES ENVIRONMENT "FONTCONFIG_FILE=${CMAKE_CURRENT_SOURCE_DIR}/wine/no-fonts.conf")
add_test(NAME wine_prefix_stop COMMAND sh ${prefix_script} stop ${prefix})
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine LABELS wine)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine)

# Wine names files in the Unix locale's encoding: a UTF-8 one keeps every name whatever the
# caller's locale is. The prefix sees none of the system's fonts, which would shadow a font of
# the same family that a test loads for itself.
set(no_fonts ${CMAKE_CURRENT_SOURCE_DIR}/wine/no-fonts.conf)
set(wine_environment "WINEPREFIX=${prefix};WINEDEBUG=-all;LC_ALL=C.UTF-8;FONTCONFIG_FILE=${no_fonts}")
# With a display, a message box would wait for someone to press OK.
set(no_display "DISPLAY=unset:;WAYLAND_DISPLAY=unset:")

function(quenlo_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine
                       ENVIRONMENT "${wine_environment}" ENVIRONMENT_MODIFICATION "${no_display}")
endfunction()

foreach(test scanner_test entry_test patcher_test windows_test program_resources_test
             width_rules_test font_faces_test report_test fix_plan_test apply_writes_test
             own_console_test)
  quenlo_wine_test(wine_${test} ${QUENLO_WINE} ${windows_dir}/tests/${test}.exe)
endforeach()

# The end-to-end tests run natively and start the program under Wine themselves.
add_executable(wine_end_to_end_test wine/wine_end_to_end_test.cc)
target_link_libraries(wine_end_to_end_test PRIVATE quenlo_run_program GTest::gtest_main)
target_compile_definitions(wine_end_to_end_test PRIVATE
  QUENLO_WINE="${QUENLO_WINE}" QUENLO_WINE_PREFIX="${prefix}"
  QUENLO_WINDOWS_PROGRAM="${windows_program}" QUENLO_LAUNCHER="${windows_launcher}"
  QUENLO_WINDOWS_CONSOLE_PROGRAM="${windows_dir}/console/quenlo.exe"
  QUENLO_TEXT_METRICS="${windows_text_metrics}" QUENLO_NO_FONTS="${no_fonts}"
  QUENLO_LINUX_PROGRAM="$<TARGET_FILE:quenlo>"
  QUENLO_WINDOWS_CHECK="${windows_check}" QUENLO_CHECK_PROGRAM="$<TARGET_FILE:quenlo-check>")
add_dependencies(wine_end_to_end_test quenlo quenlo-check)
add_dependencies(wine_end_to_end_test quenlo_windows)
gtest_discover_tests(wine_end_to_end_test TEST_PREFIX wine.
                     PROPERTIES FIXTURES_REQUIRED wine LABELS wine)

# Fixed copies installed for the user in a prefix of its own, where two fonts play the system's,
# and selected by a fresh GDI process by their new families.
add_test(NAME wine_install
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/install_test.sh ${windows_check}
                 ${windows_text_metrics} $<TARGET_FILE:quenlo-check>)
set_tests_properties(wine_install PROPERTIES LABELS wine TIMEOUT 300)

# The Linux program's copy, selected by name in a fresh prefix that takes fonts from fontconfig.
add_test(NAME wine_linux_install
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/linux_install_test.sh
                 $<TARGET_FILE:quenlo-check> ${windows_text_metrics})
set_tests_properties(wine_linux_install PROPERTIES LABELS wine TIMEOUT 300)

# The exclusive open can only be watched while a box stays up, which needs a display.
find_program(QUENLO_XVFB Xvfb)
find_program(QUENLO_XDOTOOL xdotool)
if(QUENLO_XVFB AND QUENLO_XDOTOOL)
  add_test(NAME wine_share_mode
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/share_mode_test.sh ${windows_program})
  set_tests_properties(wine_share_mode PROPERTIES LABELS wine TIMEOUT 300)
  # quenlo-check.exe in a console window of its own, as Explorer starts it: asked, answered and
  # closed with keys sent to the window.
  add_test(NAME wine_own_console
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/own_console_test.sh ${windows_check}
                   $<TARGET_FILE:quenlo-check>
                   /usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf)
  set_tests_properties(wine_own_console PROPERTIES LABELS wine TIMEOUT 300)
else()
  message(STATUS "No Xvfb or xdotool: the Windows share-mode test is left out")
endif()
