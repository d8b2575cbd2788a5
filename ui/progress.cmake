# The progress window: the JobProgress receiver the main window hands to jobs.
add_library(ottomix_progress STATIC
  ${CMAKE_CURRENT_LIST_DIR}/progress_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progress_window.h)
target_include_directories(ottomix_progress PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ottomix_progress PUBLIC Qt6::Widgets ottomix_core ottomix_widgets)
