# The application: start-up, the main window, its viewer, and the program.
add_library(ottomix_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application.h
  ${CMAKE_CURRENT_LIST_DIR}/glyph_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glyph_button.h
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.h
  ${CMAKE_CURRENT_LIST_DIR}/rtf_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rtf_reader.h
  ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup.h
  ${CMAKE_CURRENT_LIST_DIR}/text_decoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_decoding.h
  ${CMAKE_CURRENT_LIST_DIR}/text_viewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_viewer.h
  ${CMAKE_CURRENT_LIST_DIR}/viewer_error.h)
target_include_directories(ottomix_app PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ottomix_app PUBLIC
  Qt6::Widgets ottomix_core ottomix_browser ottomix_progress ottomix_about)

add_executable(ottomix ${CMAKE_CURRENT_LIST_DIR}/main.cpp $<TARGET_OBJECTS:ottomix_resources>)
target_link_libraries(ottomix PRIVATE ottomix_app)

include(GNUInstallDirs)
install(TARGETS ottomix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/ottomix.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/ottomix/ottomix-48.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME ottomix.png)
install(FILES ${PROJECT_SOURCE_DIR}/resources/ottomix/ottomix-128.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME ottomix.png)
