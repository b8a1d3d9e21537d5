# The floors the recorder comparison sets orvimo2 against: a bare X meter and an idle Qt window.
add_executable(orvimo_floor_qt ${CMAKE_CURRENT_LIST_DIR}/floor_qt.cpp)
target_link_libraries(orvimo_floor_qt PRIVATE Qt6::Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(FLOOR_XCB IMPORTED_TARGET xcb)
if(FLOOR_XCB_FOUND)
  add_executable(orvimo_floor_xcb ${CMAKE_CURRENT_LIST_DIR}/floor_xcb.cpp)
  target_link_libraries(orvimo_floor_xcb PRIVATE PkgConfig::FLOOR_XCB)
endif()
