# The About window.
add_library(ottomix_about STATIC about_window.h about_window.cpp)
target_include_directories(ottomix_about PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ottomix_about PUBLIC Qt6::Widgets ottomix_widgets)
