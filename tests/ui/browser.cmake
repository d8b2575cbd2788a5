# Offscreen tests of the file browser.
add_executable(browser_tests
  ${CMAKE_CURRENT_LIST_DIR}/browser_test_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/browser_file_list_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/browser_tree_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/browser_drives_test.cpp)
target_link_libraries(browser_tests PRIVATE ottomix_browser Qt6::Test GTest::gmock GTest::gtest)
gtest_discover_tests(browser_tests
  TEST_PREFIX "browser."
  DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

# A window with the three controls at their main-window places, for screenshots.
add_executable(browser_demo ${CMAKE_CURRENT_LIST_DIR}/browser_demo.cpp)
target_link_libraries(browser_demo PRIVATE ottomix_browser)
