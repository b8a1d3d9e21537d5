# One full paint of the record button and one level-meter frame.
add_executable(orvimo_controls_bench ${CMAKE_CURRENT_LIST_DIR}/controls_bench.cpp)
target_link_libraries(orvimo_controls_bench PRIVATE orvimo_controls benchmark::benchmark)
