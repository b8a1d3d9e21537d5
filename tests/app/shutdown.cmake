# The shutdown request over D-Bus, tested against a mock login manager on a private bus. The source
# is compiled in directly so the test does not wait for the rest of the window library.
add_executable(orvimo_shutdown_tests ${CMAKE_CURRENT_LIST_DIR}/shutdown_dbus_test.cpp
                                     ${PROJECT_SOURCE_DIR}/src/app/qt/dbus_shutdown.cpp)
target_include_directories(orvimo_shutdown_tests PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orvimo_shutdown_tests PRIVATE Qt6::DBus Qt6::Core GTest::gtest)
add_test(NAME orvimo_shutdown_tests COMMAND orvimo_shutdown_tests)
set_tests_properties(orvimo_shutdown_tests PROPERTIES TIMEOUT 120 LABELS dbus)
