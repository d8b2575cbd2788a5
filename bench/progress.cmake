# The window's job (JobRunner reporting to a shown ProgressWindow) against
# ottomix-cli on the same file; bench/run.sh passes it the CLI.
add_executable(ottomix_bench_progress ${CMAKE_CURRENT_LIST_DIR}/progress_bench.cpp)
target_link_libraries(ottomix_bench_progress PRIVATE ottomix_app)
