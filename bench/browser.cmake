# FileList::reread() of a directory of 100,000 files and DirectoryTree::fillTree()
# of one with 20,000 subdirectories; prints times (bench/run.sh runs it).
add_executable(ottomix_bench_browser ${CMAKE_CURRENT_LIST_DIR}/browser_bench.cpp)
target_link_libraries(ottomix_bench_browser PRIVATE ottomix_browser)
