# The settings store: its logic against test doubles, the INI file and the Qt window placement. The two
# Qt sources are compiled in directly so these tests do not wait for the rest of the window library.
set(settings_src ${CMAKE_CURRENT_LIST_DIR}/../../src)
add_executable(orvimo_settings_tests
  ${CMAKE_CURRENT_LIST_DIR}/form_storage_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini_settings_backend_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_window_placement_test.cpp
  ${settings_src}/app/qt/ini_settings_backend.cpp
  ${settings_src}/app/qt/qt_window_placement.cpp)
target_include_directories(orvimo_settings_tests PRIVATE ${settings_src} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvimo_settings_tests PRIVATE orvimo_core orvimo_qt_test_main Qt6::Widgets
                      GTest::gtest)
gtest_discover_tests(orvimo_settings_tests DISCOVERY_TIMEOUT 60)
