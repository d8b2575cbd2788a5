# Job time with the progress window against a receiver that does nothing.
add_executable(progress_bench ${CMAKE_CURRENT_LIST_DIR}/progress_bench.cpp)
target_link_libraries(progress_bench PRIVATE ottomix_progress)
