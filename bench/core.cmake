add_executable(ottomix_bench_core ${CMAKE_CURRENT_SOURCE_DIR}/core_bench.cpp)
