# Native (Linux) build: engine tests with the system's GoogleTest, benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
enable_testing()

add_executable(hivesweep-tests ${HS_PORTABLE_TESTS})
target_link_libraries(hivesweep-tests PRIVATE hs_engine GTest::gtest GTest::gtest_main Threads::Threads)
target_include_directories(hivesweep-tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(hivesweep-tests PRIVATE ${HS_TEST_WARNINGS})
target_precompile_headers(hivesweep-tests PRIVATE <gtest/gtest.h> ${HS_STD_HEADERS})
target_compile_definitions(hivesweep-tests PRIVATE HS_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
                                                   HS_SOURCE_ROOT="${CMAKE_SOURCE_DIR}")
add_test(NAME native COMMAND hivesweep-tests)

if(HS_BENCH)
  file(GLOB HS_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  find_package(benchmark REQUIRED)
  add_executable(hivesweep-bench ${HS_BENCH_SOURCES})
  target_link_libraries(hivesweep-bench PRIVATE hs_engine benchmark::benchmark Threads::Threads)
  target_include_directories(hivesweep-bench PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR})
endif()
