# libFuzzer targets, one per file of tests/fuzz. The engine is rebuilt with
# the same sanitizers so that faults inside it stop the run; undefined
# behaviour aborts instead of printing and going on.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "HS_FUZZ needs clang++ (libFuzzer)")
endif()
set(HS_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined)
target_compile_options(hs_engine PRIVATE -fsanitize=fuzzer-no-link ${HS_SANITIZERS}
                                         -Wno-unknown-warning-option)
target_link_options(hs_engine INTERFACE ${HS_SANITIZERS})

file(GLOB HS_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
foreach(source ${HS_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE hs_engine)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${HS_SANITIZERS} ${HS_WARNINGS}
                                         -Wno-unknown-warning-option)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
