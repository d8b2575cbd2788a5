# The cipher job (ottomix-cli) against the floor below and tr; prints
# ratios of medians and the CLI's peak memory (bench/run.sh runs it).
add_executable(ottomix_bench_core ${CMAKE_CURRENT_LIST_DIR}/core_bench.cpp)
# The least a job can cost: the same passes and bytes with plain read/write
# and 1 MiB buffers. ottomix_bench_core finds it beside itself.
add_executable(ottomix_bench_floor ${CMAKE_CURRENT_LIST_DIR}/block_floor.cpp)
add_dependencies(ottomix_bench_core ottomix_bench_floor)
