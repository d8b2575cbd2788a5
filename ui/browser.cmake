# The file browser: drive selector, directory tree and file list.
add_library(ottomix_browser STATIC
  ${CMAKE_CURRENT_LIST_DIR}/browser.h
  ${CMAKE_CURRENT_LIST_DIR}/browser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_system.h
  ${CMAKE_CURRENT_LIST_DIR}/file_system.cpp)
target_include_directories(ottomix_browser PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ottomix_browser PUBLIC Qt6::Widgets ottomix_resources)
