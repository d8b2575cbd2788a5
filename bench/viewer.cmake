# TextViewer::loadFromFile() of 4 MiB files that are hard to lay out, against
# plain text of the same size; prints times and memory (bench/run.sh runs it).
add_executable(ottomix_bench_viewer ${CMAKE_CURRENT_LIST_DIR}/viewer_bench.cpp)
target_link_libraries(ottomix_bench_viewer PRIVATE ottomix_viewer)
