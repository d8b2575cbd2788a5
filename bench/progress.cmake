# Job time with the progress window against a receiver that does nothing.
add_executable(ottomix_bench_progress ${CMAKE_CURRENT_LIST_DIR}/progress_bench.cpp)
target_link_libraries(ottomix_bench_progress PRIVATE ottomix_progress)
