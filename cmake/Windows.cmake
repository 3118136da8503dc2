# Cross build with MinGW-w64: Win32 backends, the programs and the Windows
# test executable (GoogleTest built from source), all linked statically so
# that they run under Wine without extra DLLs.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
set(HS_WIN_LIBS advapi32 shell32 ole32 uuid shlwapi comctl32 gdi32 user32 version windowscodecs
                uxtheme)
set(HS_STATIC -static -static-libgcc -static-libstdc++ -municode)

file(GLOB_RECURSE HS_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/win32/*.cpp)
list(FILTER HS_WIN32_SOURCES EXCLUDE REGEX "/app/win32/(cli|gui)_main\\.cpp$")
add_library(hs_win32 STATIC ${HS_WIN32_SOURCES})
target_link_libraries(hs_win32 PUBLIC hs_engine ${HS_WIN_LIBS})
target_link_libraries(hs_win32 PUBLIC comdlg32)  # the common save dialog
target_compile_options(hs_win32 PRIVATE ${HS_WARNINGS})

# Unity batches never mix window code with the rest: the linker takes whole
# objects, and one window file in a batch the console uses would make
# hivesweep-cli.exe load the window libraries (comctl32, uxtheme: a quarter
# second at each start under Wine). Batches of at most 8 per folder and kind.
function(hs_unity_apart_from_windows target)
  if(NOT HS_UNITY)
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  foreach(source ${sources})
    get_filename_component(folder ${source} DIRECTORY)
    get_filename_component(folder ${folder} DIRECTORY)
    get_filename_component(folder ${folder} NAME)
    if(source MATCHES "/(app|widgets|mainwindow|ui)/win32/|Dialog\\.cpp$|/(BrowseForFolder|FullRegistryBackup|RegProgressHint)\\.cpp$")
      set(kind window)
    else()
      set(kind system)
    endif()
    set(key "${folder}_${kind}")
    if(NOT DEFINED count_${key})
      set(count_${key} 0)
    endif()
    math(EXPR batch "${count_${key}} / 8")
    math(EXPR count_${key} "${count_${key}} + 1")
    set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES UNITY_GROUP "${key}_${batch}")
  endforeach()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
endfunction()
hs_unity_apart_from_windows(hs_win32)

# One resource script (UTF-8) with the manifests and the version, for both
# programs; the GUI's pictures (Pictures.rc, included by it for the GUI) are
# compiled into the Windows tests as well, whose windows show them.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=65001")
set(HS_RESOURCES ${CMAKE_SOURCE_DIR}/src/ui/win32/Hivesweep.rc)
set(HS_PICTURES ${CMAKE_SOURCE_DIR}/src/ui/win32/Pictures.rc)
file(GLOB HS_PICTURE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/win32/pictures/*)
set_property(SOURCE ${HS_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_SOURCE_DIR}/src/ui/win32/Hivesweep.manifest
             ${CMAKE_SOURCE_DIR}/src/ui/win32/HivesweepConsole.manifest
             ${CMAKE_SOURCE_DIR}/src/ui/win32/Hivesweep.ico ${HS_PICTURES} ${HS_PICTURE_FILES}
             ${CMAKE_SOURCE_DIR}/src/ui/win32/PictureIds.h)
set_property(SOURCE ${HS_PICTURES} APPEND PROPERTY OBJECT_DEPENDS ${HS_PICTURE_FILES}
             ${CMAKE_SOURCE_DIR}/src/ui/win32/PictureIds.h)

add_executable(hivesweep-cli ${CMAKE_SOURCE_DIR}/src/app/win32/cli_main.cpp ${HS_RESOURCES})
target_link_libraries(hivesweep-cli PRIVATE hs_win32)
target_link_options(hivesweep-cli PRIVATE ${HS_STATIC})
target_compile_options(hivesweep-cli PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${HS_WARNINGS}>)
target_compile_definitions(hivesweep-cli PRIVATE HS_CONSOLE_PROGRAM)

# The GUI program.
add_executable(hivesweep WIN32 ${CMAKE_SOURCE_DIR}/src/app/win32/gui_main.cpp ${HS_RESOURCES})
target_link_libraries(hivesweep PRIVATE hs_win32)
target_link_options(hivesweep PRIVATE ${HS_STATIC} -mwindows)
target_compile_options(hivesweep PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${HS_WARNINGS}>)

set(GTEST_SRC /usr/src/googletest/googletest)
add_library(hs_gtest STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
target_include_directories(hs_gtest PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})

file(GLOB_RECURSE HS_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(hivesweep-tests-win ${HS_PORTABLE_TESTS} ${HS_WIN_TESTS} ${HS_PICTURES})
target_link_libraries(hivesweep-tests-win PRIVATE hs_win32 hs_gtest)
target_include_directories(hivesweep-tests-win PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(hivesweep-tests-win PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${HS_TEST_WARNINGS}>)
target_precompile_headers(hivesweep-tests-win PRIVATE <gtest/gtest.h> ${HS_STD_HEADERS})
# Run from build/win64, as scripts/test.sh does: the fixtures of the source tree.
target_compile_definitions(hivesweep-tests-win PRIVATE HS_TEST_DATA="../../tests/data")
target_link_options(hivesweep-tests-win PRIVATE -static -static-libgcc -static-libstdc++)
hs_unity(hivesweep-tests-win)

# The repair timed without its scan, for scripts/bench-wine-repair.sh.
if(HS_BENCH)
  add_executable(hivesweep-repair-bench ${CMAKE_SOURCE_DIR}/bench/win32/RepairWineBench.cpp)
  target_link_libraries(hivesweep-repair-bench PRIVATE hs_win32)
  target_include_directories(hivesweep-repair-bench PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR})
  target_link_options(hivesweep-repair-bench PRIVATE ${HS_STATIC})
  target_compile_options(hivesweep-repair-bench PRIVATE ${HS_WARNINGS})

  # The least a scan of HKEY_CURRENT_USER must do, for scripts/bench-wine-scan.sh.
  add_executable(hivesweep-bare-scan-bench ${CMAKE_SOURCE_DIR}/bench/win32/BareScanWineBench.cpp)
  target_include_directories(hivesweep-bare-scan-bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_options(hivesweep-bare-scan-bench PRIVATE ${HS_STATIC})
  target_compile_options(hivesweep-bare-scan-bench PRIVATE ${HS_WARNINGS})

  # The scan through the main window and its progress dialog, with the
  # program's resources and manifest, for scripts/bench-wine-scan-dialog.sh.
  add_executable(hivesweep-scan-dialog-bench ${CMAKE_SOURCE_DIR}/bench/win32/ScanDialogWineBench.cpp
                 ${HS_RESOURCES})
  target_link_libraries(hivesweep-scan-dialog-bench PRIVATE hs_win32)
  target_link_options(hivesweep-scan-dialog-bench PRIVATE ${HS_STATIC})
  target_compile_options(hivesweep-scan-dialog-bench PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${HS_WARNINGS}>)
endif()

# The resource test reads the built programs beside the test program.
add_dependencies(hivesweep-tests-win hivesweep hivesweep-cli)

# The translation files go beside the programs, where the Language menu
# looks for them; the table of menus beside them for the Windows tests.
file(GLOB HS_LANGUAGE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/lang/Lan_*.ini)
list(APPEND HS_LANGUAGE_FILES ${CMAKE_SOURCE_DIR}/lang/menus.txt)
add_custom_target(hs_languages ALL
                  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${HS_LANGUAGE_FILES}
                          ${CMAKE_BINARY_DIR}
                  DEPENDS ${HS_LANGUAGE_FILES}
                  COMMENT "Translation files beside the programs")
add_dependencies(hivesweep hs_languages)
add_dependencies(hivesweep-tests-win hs_languages)
