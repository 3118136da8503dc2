// The one main of the benchmark program; each benchmark lives in a file of its own.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
