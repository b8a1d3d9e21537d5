# The requests to the login manager over D-Bus (power off, the sleep lock), tested against a mock login
# manager on a private bus. Each source is compiled in directly so the tests do not wait for the rest
# of the window library.
add_library(orvimo_mock_login_manager STATIC ${CMAKE_CURRENT_LIST_DIR}/mock_login_manager.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/mock_login_manager_main.cpp)
target_link_libraries(orvimo_mock_login_manager PUBLIC Qt6::DBus Qt6::Core GTest::gtest)

function(orvimo_login_manager_test name source)
  add_executable(orvimo_${name}_tests ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${name}_dbus_test.cpp
                                      ${PROJECT_SOURCE_DIR}/src/app/qt/${source})
  target_include_directories(orvimo_${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(orvimo_${name}_tests PRIVATE orvimo_mock_login_manager)
  add_test(NAME orvimo_${name}_tests COMMAND orvimo_${name}_tests)
  set_tests_properties(orvimo_${name}_tests PROPERTIES TIMEOUT 120 LABELS dbus)
endfunction()

orvimo_login_manager_test(shutdown dbus_shutdown.cpp)
orvimo_login_manager_test(sleep_inhibitor logind_sleep_inhibitor.cpp)
