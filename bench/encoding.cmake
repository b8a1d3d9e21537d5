# CPU per recorded minute of each encoder, and the file it makes, on a minute of the tests' signal.
add_executable(orvimo_encoding_bench ${CMAKE_CURRENT_LIST_DIR}/encoder_bench.cpp)
target_include_directories(orvimo_encoding_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/encoding)
target_link_libraries(orvimo_encoding_bench PRIVATE orvimo_encoding orvimo_base benchmark::benchmark_main)
