# The capture layer's own cost per buffer: the hand-over to the program's callback and the peak meter.
add_executable(orvimo_capture_bench ${CMAKE_CURRENT_LIST_DIR}/capture_bench.cpp)
target_link_libraries(orvimo_capture_bench PRIVATE orvimo_capture_core benchmark::benchmark)
