# Native (Linux) build: engine tests with the system's GoogleTest, benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
enable_testing()

# The offline program's Linux side: hive files through libhivex, the mounted
# volume through POSIX calls.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIVEX REQUIRED IMPORTED_TARGET hivex)
file(GLOB_RECURSE HS_POSIX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/posix/*.cpp)
list(FILTER HS_POSIX_SOURCES EXCLUDE REGEX "/offline_main\\.cpp$")
add_library(hs_posix STATIC ${HS_POSIX_SOURCES})
target_link_libraries(hs_posix PUBLIC hs_engine PkgConfig::HIVEX)
target_compile_options(hs_posix PRIVATE ${HS_WARNINGS})

if(EXISTS ${CMAKE_SOURCE_DIR}/src/offline/posix/offline_main.cpp)
  add_executable(hivesweep-offline ${CMAKE_SOURCE_DIR}/src/offline/posix/offline_main.cpp)
  target_link_libraries(hivesweep-offline PRIVATE hs_posix)
  target_compile_options(hivesweep-offline PRIVATE ${HS_WARNINGS})
endif()

file(GLOB_RECURSE HS_POSIX_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/posix/*.cpp)
add_executable(hivesweep-tests ${HS_PORTABLE_TESTS} ${HS_POSIX_TESTS})
target_link_libraries(hivesweep-tests PRIVATE hs_engine hs_posix GTest::gtest GTest::gtest_main Threads::Threads)
target_include_directories(hivesweep-tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(hivesweep-tests PRIVATE ${HS_WARNINGS})
target_compile_definitions(hivesweep-tests PRIVATE HS_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
                                                   HS_SOURCE_ROOT="${CMAKE_SOURCE_DIR}"
                                                   HS_HIVES="${CMAKE_SOURCE_DIR}/../shared/hives"
                                                   HS_OFFLINE_PROGRAM="$<TARGET_FILE:hivesweep-offline>")
add_dependencies(hivesweep-tests hivesweep-offline)
add_test(NAME native COMMAND hivesweep-tests)

if(HS_BENCH)
  file(GLOB HS_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  find_package(benchmark REQUIRED)
  add_executable(hivesweep-bench ${HS_BENCH_SOURCES})
  target_link_libraries(hivesweep-bench PRIVATE hs_engine hs_posix benchmark::benchmark Threads::Threads)
  target_include_directories(hivesweep-bench PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR})
endif()
