# The About window.
add_executable(test_about about_window_test.cpp)
target_link_libraries(test_about PRIVATE ottomix_about Qt6::Test)
add_test(NAME ui.about COMMAND test_about)
set_tests_properties(ui.about PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
