# Tests of the application: viewer, main window, exception box, start-up.
add_executable(app_tests
  ${CMAKE_CURRENT_LIST_DIR}/app_test_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_test_util.h
  ${CMAKE_CURRENT_LIST_DIR}/text_viewer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_test.cpp
  $<TARGET_OBJECTS:ottomix_resources>)
target_link_libraries(app_tests PRIVATE ottomix_app Qt6::Test GTest::gtest)
gtest_discover_tests(app_tests
  TEST_PREFIX "app."
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  DISCOVERY_MODE PRE_TEST)

# Start-up runs the whole program, so every case is a child process.
add_executable(app_startup_tests
  ${CMAKE_CURRENT_LIST_DIR}/startup_test.cpp
  $<TARGET_OBJECTS:ottomix_resources>)
target_link_libraries(app_startup_tests PRIVATE
  ottomix_app Qt6::Test GTest::gmock GTest::gtest GTest::gtest_main)
gtest_discover_tests(app_startup_tests
  TEST_PREFIX "app."
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 60
  DISCOVERY_MODE PRE_TEST)

add_test(NAME app.desktop_file_validates
  COMMAND desktop-file-validate ${PROJECT_SOURCE_DIR}/resources/ottomix.desktop)

# The real program under Xvfb, driven with xdotool. Without a window manager
# the close box is played by app_xclose (X protocol library only).
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(XCB QUIET IMPORTED_TARGET xcb)
endif()
set(app_xclose "")
if(XCB_FOUND)
  add_executable(app_xclose ${CMAKE_CURRENT_LIST_DIR}/app_xclose.cpp)
  target_link_libraries(app_xclose PRIVATE PkgConfig::XCB)
  set(app_xclose $<TARGET_FILE:app_xclose>)
endif()
add_test(NAME app.e2e_xvfb
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e_xvfb.sh
    $<TARGET_FILE:ottomix> $<TARGET_FILE:ottomix-cli> "${app_xclose}")
# Under LeakSanitizer the X11 platform's D-Bus library reports a leak of its
# own at exit, which would turn the exit status into 1.
set_tests_properties(app.e2e_xvfb PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")

add_test(NAME app.install_layout
  COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-check
    -P ${CMAKE_CURRENT_LIST_DIR}/app_install_check.cmake)
