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
hs_unity(hs_posix)

if(EXISTS ${CMAKE_SOURCE_DIR}/src/offline/posix/offline_main.cpp)
  add_executable(hivesweep-offline ${CMAKE_SOURCE_DIR}/src/offline/posix/offline_main.cpp)
  target_link_libraries(hivesweep-offline PRIVATE hs_posix)
  target_compile_options(hivesweep-offline PRIVATE ${HS_WARNINGS})
endif()

file(GLOB_RECURSE HS_POSIX_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/posix/*.cpp)
add_executable(hivesweep-tests ${HS_PORTABLE_TESTS} ${HS_POSIX_TESTS})
target_link_libraries(hivesweep-tests PRIVATE hs_engine hs_posix GTest::gtest GTest::gtest_main Threads::Threads)
target_include_directories(hivesweep-tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(hivesweep-tests PRIVATE ${HS_TEST_WARNINGS})
target_precompile_headers(hivesweep-tests PRIVATE <gtest/gtest.h> ${HS_STD_HEADERS})
target_compile_definitions(hivesweep-tests PRIVATE HS_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
                                                   HS_SOURCE_ROOT="${CMAKE_SOURCE_DIR}"
                                                   HS_HIVES="${CMAKE_SOURCE_DIR}/../shared/hives"
                                                   HS_OFFLINE_PROGRAM="$<TARGET_FILE:hivesweep-offline>")
add_dependencies(hivesweep-tests hivesweep-offline)
add_test(NAME native COMMAND hivesweep-tests)
hs_unity(hivesweep-tests)

# The scan workers' lifetime under AddressSanitizer: a worker that outlived
# what its owner lent it would be reported. Only the few sources it needs, so
# it builds and runs in moments.
option(HS_LIFETIME_ASAN "Build hivesweep-lifetime-asan" ON)
if(HS_LIFETIME_ASAN)
  add_executable(hivesweep-lifetime-asan
                 ${CMAKE_SOURCE_DIR}/tests/scan/ScanWorkersTest.cpp
                 ${CMAKE_SOURCE_DIR}/src/scan/ScanWorkers.cpp
                 ${CMAKE_SOURCE_DIR}/src/scan/ScanHandOver.cpp)
  target_include_directories(hivesweep-lifetime-asan PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(hivesweep-lifetime-asan PRIVATE GTest::gtest GTest::gtest_main
                                                        Threads::Threads)
  target_compile_options(hivesweep-lifetime-asan PRIVATE ${HS_WARNINGS} -fsanitize=address
                                                         -fno-omit-frame-pointer)
  target_link_options(hivesweep-lifetime-asan PRIVATE -fsanitize=address)
  add_test(NAME lifetime-asan COMMAND hivesweep-lifetime-asan)
endif()

if(HS_BENCH)
  file(GLOB HS_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  find_package(benchmark REQUIRED)
  add_executable(hivesweep-bench ${HS_BENCH_SOURCES})
  target_link_libraries(hivesweep-bench PRIVATE hs_engine hs_posix benchmark::benchmark Threads::Threads)
  target_include_directories(hivesweep-bench PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR})
endif()
