# Speed of the pure recording and command-line code on typical and hostile input.
add_executable(orvimo_core_bench ${CMAKE_CURRENT_LIST_DIR}/template_bench.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/command_line_bench.cpp)
target_link_libraries(orvimo_core_bench PRIVATE orvimo_recording orvimo_encoding orvimo_monitor orvimo_cmdline orvimo_base
                                                benchmark::benchmark_main)
