# Command-line program benchmarks: CSV reading and loading throughput (Google Benchmark), and
# the generator that bench/cli_search.sh uses to time a whole `ruleweave search` run.
include(${PROJECT_SOURCE_DIR}/tools/ruleweave/sources.cmake)
find_package(ZLIB REQUIRED)

add_executable(cli_make_csv cli_make_csv.cc)
target_link_libraries(cli_make_csv PRIVATE ruleweave_warnings)

ruleweave_add_benchmark(cli_bench cli_bench.cc ${RULEWEAVE_CLI_SOURCES})
target_include_directories(cli_bench PRIVATE ${RULEWEAVE_CLI_DIR})
find_package(Threads REQUIRED)
target_link_libraries(cli_bench PRIVATE ZLIB::ZLIB Threads::Threads)
